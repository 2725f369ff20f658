#include "PDFReportGenerator.h"

#include "ErrorText.h"
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

namespace {

// Why a file in the folder cannot be written, or nothing when it looks writable; the write itself
// may still fail.
QString folderProblem(const QString& folder, const QString& file)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
    if (!info.isDir())
        return QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(folder));
    if (!info.isWritable())
        return QStringLiteral("the folder %1 is not writable").arg(QDir::toNativeSeparators(folder));
    if (QFileInfo(file).isDir())
        return QStringLiteral("a folder named %1 is in the way").arg(QFileInfo(file).fileName());
    return {};
}

QString writeProblem(const QFileDevice& file)
{
    const QString reason = ErrorText::continuingSentence(file.errorString());
    return reason.isEmpty() ? QStringLiteral("the file could not be written") : reason;
}

} // namespace

void PDFReportGenerator::generateReport(QList<SessionLogger::SessionRecord> records, QDateTime startTime,
                                        QDateTime endTime, SystemMonitor::RAMStats ramStats,
                                        Completion completion)
{
    generateReport(reportFolder(), std::move(records), std::move(startTime), std::move(endTime), ramStats,
                   std::move(completion));
}

void PDFReportGenerator::generateReport(const QString& folder, QList<SessionLogger::SessionRecord> records,
                                        QDateTime startTime, QDateTime endTime, SystemMonitor::RAMStats ramStats,
                                        Completion completion)
{
    // The inputs are copies, so the logger may start a new session while this report waits.
    QTimer::singleShot(0, QCoreApplication::instance(),
                       [folder, records = std::move(records), startTime = std::move(startTime),
                        endTime = std::move(endTime), ramStats, completion = std::move(completion)] {
                           const SessionReportView page(records, startTime, endTime, ramStats);
                           const QString file = QDir(folder).filePath(fileName(startTime));
                           QString problem = folderProblem(folder, file);
                           if (problem.isEmpty())
                               problem = writePDF(page, file);
                           if (problem.isEmpty())
                               completion(true, file, {});
                           else
                               completion(false, std::nullopt, problem);
                       });
}

QString PDFReportGenerator::reportFolder()
{
    const QString desktop = Paths::desktop();
    return QFileInfo(desktop).isDir() ? desktop : Paths::home();
}

QString PDFReportGenerator::fileName(const QDateTime& startTime)
{
    return QStringLiteral("Quillmarsh_Report_") + startTime.toLocalTime().toString("yyyy-MM-dd_HH-mm-ss") +
           QStringLiteral(".pdf");
}

QString PDFReportGenerator::writePDF(const SessionReportView& page, const QString& filePath)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return writeProblem(file);
    {
        QPdfWriter writer(&file);
        // One unit is one point, so the page is drawn in the same numbers it is laid out in.
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(QStringLiteral("Quillmarsh"));
        QPainter painter;
        bool drawn = painter.begin(&writer);
        if (drawn) {
            SessionReportPainter::paint(painter, page);
            drawn = painter.end();
        }
        if (!drawn) {
            const QString problem = file.error() != QFileDevice::NoError ? writeProblem(file)
                                                                         : QStringLiteral("the page could not be drawn");
            file.cancelWriting();
            return problem;
        }
    }
    if (!file.commit())
        return writeProblem(file);
    return {};
}
