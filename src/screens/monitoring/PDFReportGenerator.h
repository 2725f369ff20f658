#pragma once

#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QDateTime>
#include <QList>
#include <functional>
#include <optional>

class SessionReportView;

// Writes a session's report as a one-page US Letter PDF into the Desktop folder, or the home folder
// when there is no Desktop folder. The page goes to a temporary file beside the final one and takes
// the final name only once it is complete, so the folder never holds half a report; an earlier report
// of the same name is replaced.
class PDFReportGenerator {
public:
    // Told once, on the main thread, after generateReport() has returned: true and the file's path
    // when the report was written; false, nothing and why not (a sentence for the user) otherwise.
    using Completion = std::function<void(bool success, std::optional<QString> filePath, QString problem)>;

    // Into reportFolder(). Returns at once; the page is drawn and written on the main thread.
    static void generateReport(QList<SessionLogger::SessionRecord> records, QDateTime startTime,
                               QDateTime endTime, SystemMonitor::RAMStats ramStats, Completion completion);
    // Into `folder`, which must exist: a missing or unwritable folder fails the report.
    static void generateReport(const QString& folder, QList<SessionLogger::SessionRecord> records,
                               QDateTime startTime, QDateTime endTime, SystemMonitor::RAMStats ramStats,
                               Completion completion);

    // The user's Desktop folder where it exists, else the home folder.
    static QString reportFolder();
    // "Quillmarsh_Report_" and the start in local time as yyyy-MM-dd_HH-mm-ss, then ".pdf".
    static QString fileName(const QDateTime& startTime);
    // Writes the page now, leaving nothing behind when any step failed. Empty when written, else
    // why the file could not be written.
    static QString writePDF(const SessionReportView& page, const QString& filePath);
};
