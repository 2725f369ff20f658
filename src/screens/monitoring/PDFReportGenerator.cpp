#include "PDFReportGenerator.h"

#include "Paths.h"
#include "SessionReportPainter.h"
#include "SessionReportView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTimer>

void PDFReportGenerator::generateReport(QList<SessionLogger::SessionRecord> records, QDateTime startTime,
                                        QDateTime endTime, SystemMonitor::RAMStats ramStats,
                                        Completion completion)
{
    generateReport(Paths::desktop(), std::move(records), std::move(startTime), std::move(endTime), ramStats,
                   std::move(completion));
}

void PDFReportGenerator::generateReport(const QString& desktopFolder,
                                        QList<SessionLogger::SessionRecord> records, QDateTime startTime,
                                        QDateTime endTime, SystemMonitor::RAMStats ramStats,
                                        Completion completion)
{
    // The inputs are copies, so the logger may start a new session while this report waits.
    QTimer::singleShot(0, QCoreApplication::instance(),
                       [desktopFolder, records = std::move(records), startTime = std::move(startTime),
                        endTime = std::move(endTime), ramStats, completion = std::move(completion)] {
                           const SessionReportView page(records, startTime, endTime, ramStats);
                           const QString file = QDir(desktopFolder).filePath(fileName(startTime));
                           if (QFileInfo(desktopFolder).isDir() && writePDF(page, file))
                               completion(true, file);
                           else
                               completion(false, std::nullopt);
                       });
}

QString PDFReportGenerator::fileName(const QDateTime& startTime)
{
    return QStringLiteral("Quillmarsh_Report_") + startTime.toLocalTime().toString("yyyy-MM-dd_HH-mm-ss") +
           QStringLiteral(".pdf");
}

bool PDFReportGenerator::writePDF(const SessionReportView& page, const QString& filePath)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        // One unit is one point, so the page is drawn in the same numbers it is laid out in.
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("Quillmarsh"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return false;
        }
        SessionReportPainter::paint(painter, page);
        if (!painter.end()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}
