#pragma once

#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QStringList>
#include <optional>

// The one page of a session report as texts and numbers: the summary of the session, the memory
// figures taken when it stopped, the CPU and memory averages and peaks over its records, and the
// recommendations those give. SessionReportPainter draws it.
class SessionReportView {
public:
    struct Metrics {
        double averageCPU = 0;
        double peakCPU = 0;
        double averageMemory = 0;
        double peakMemory = 0;
    };
    // A labelled figure: a summary item, a statistics tile or a metrics row.
    struct Figure {
        QString label;
        QString value;
        QString symbol = {};
        QColor color = {};
    };

    static constexpr double highUsage = 80;
    static constexpr double optimalUsage = 50;

    // `generatedAt` is the moment printed in the footer.
    SessionReportView(QList<SessionLogger::SessionRecord> records, QDateTime startTime, QDateTime endTime,
                      SystemMonitor::RAMStats ramStats, QDateTime generatedAt = QDateTime::currentDateTime());

    // "45s", "2m 7s" or "1h 5m" of the whole seconds between start and end.
    QString formattedDuration() const;
    // Nothing for a session without records.
    std::optional<Metrics> performanceMetrics() const;
    QStringList reportRecommendations() const;

    // Duration, record count and start date.
    QList<Figure> summaryItems() const;
    // Total, used and available memory and its usage, each in its own colour.
    QList<Figure> statisticTiles() const;
    // Average and peak CPU and memory use; empty without records.
    QList<Figure> metricRows() const;
    QString footerText() const;

    // Printed under the footer's date line.
    static inline const QString productAddress = QStringLiteral("quillmarsh.com");

    // The locale's long date pattern without its weekday and with abbreviated month names, the way
    // locales write a medium date: "Mar 14, 2025", "14 Mar 2025", "14. März 2025".
    static QString mediumDateFormat(const QLocale& locale);

    static QString gigabytes(double value);
    static QString percent(double value);

private:
    QList<SessionLogger::SessionRecord> m_records;
    QDateTime m_startTime;
    QDateTime m_endTime;
    SystemMonitor::RAMStats m_ramStats;
    QDateTime m_generatedAt;
};
