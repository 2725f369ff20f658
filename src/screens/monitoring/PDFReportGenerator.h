#pragma once

#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QDateTime>
#include <QList>
#include <functional>
#include <optional>

class SessionReportView;

// Writes a session's report as a one-page US Letter PDF into the Desktop folder. The page goes to
// a temporary file beside the final one and takes the final name only once it is complete, so
// the Desktop never holds half a report; an earlier report of the same name is replaced.
class PDFReportGenerator {
public:
    // Told once, on the main thread, after generateReport() has returned: true and the file's path
    // when the report was written, false and nothing otherwise.
    using Completion = std::function<void(bool success, std::optional<QString> filePath)>;

    // Into the user's Desktop folder. Returns at once; the page is drawn and written on the main thread.
    static void generateReport(QList<SessionLogger::SessionRecord> records, QDateTime startTime,
                               QDateTime endTime, SystemMonitor::RAMStats ramStats, Completion completion);
    // Into `desktopFolder`, which must exist: a missing or unwritable folder fails the report.
    static void generateReport(const QString& desktopFolder, QList<SessionLogger::SessionRecord> records,
                               QDateTime startTime, QDateTime endTime, SystemMonitor::RAMStats ramStats,
                               Completion completion);

    // "Quillmarsh_Report_" and the start in local time as yyyy-MM-dd_HH-mm-ss, then ".pdf".
    static QString fileName(const QDateTime& startTime);
    // Writes the page now; false, with nothing left behind, when any step failed.
    static bool writePDF(const SessionReportView& page, const QString& filePath);
};
