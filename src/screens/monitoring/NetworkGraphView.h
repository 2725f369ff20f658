#pragma once

#include "style/GlassModifier.h"

#include <QList>

class ActivityIndicator;
class AfterPaint;
class CardHeader;
class GraphCanvas;
class LinearProgressBar;
class NetworkMonitor;
class SymbolButton;
class TextLabel;

// The "Network" card: the kind and name of the connection, the Wi-Fi standard, the live download
// and upload rates, a graph of the last minute of both, and the speed test with its progress,
// results and error, all from the borrowed network monitor. Shown, it makes sure the monitor
// samples; hidden, it stops the monitor's sampling.
class NetworkGraphView : public GlassModifier {
    Q_OBJECT
public:
    static constexpr int graphHeight = 100;

    NetworkGraphView(NetworkMonitor& monitor, int smoothingWindow, QWidget* parent = nullptr);

    // The symbol for a connection type; exact names only.
    static QString connectionIcon(const QString& connectionType);
    // Each value the mean of itself and up to `window` - 1 samples before it; a window below 1
    // counts as 1, and a series of fewer than 2 samples is returned as it is.
    static QList<double> smoothed(const QList<double>& series, int window);
    // The throughput at the top of the graph, shared by both series, with headroom above recent
    // traffic and never below 1 MB/s while the recent traffic is idle.
    static double graphScaleMax(const QList<double>& downloadHistory, const QList<double>& uploadHistory);
    // The whole percent of a progress fraction, such as "55%"; empty when not a number.
    static QString progressText(double progress);

    void runSpeedTest();
    void startIfNeeded();
    void stop();

    int smoothingWindow() const { return m_smoothingWindow; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildWiFiRow();
    QWidget* buildProgress();
    QWidget* buildResult();
    QWidget* buildThroughput();
    QWidget* buildGraph();
    QWidget* buildLegend();
    void refresh();

    NetworkMonitor& m_monitor;
    int m_smoothingWindow;
    // Sampling starts once the card is on screen.
    AfterPaint* m_start = nullptr;

    CardHeader* m_header = nullptr;
    TextLabel* m_connectionName = nullptr;
    // The connection name the label shows, before eliding.
    QString m_elidedConnectionName;
    ActivityIndicator* m_activity = nullptr;
    SymbolButton* m_speedTestButton = nullptr;
    QWidget* m_wifiRow = nullptr;
    TextLabel* m_wifiStandard = nullptr;
    QWidget* m_progress = nullptr;
    TextLabel* m_progressPercent = nullptr;
    LinearProgressBar* m_progressBar = nullptr;
    QWidget* m_result = nullptr;
    TextLabel* m_resultDownload = nullptr;
    TextLabel* m_resultUpload = nullptr;
    TextLabel* m_error = nullptr;
    TextLabel* m_downloadSpeed = nullptr;
    TextLabel* m_uploadSpeed = nullptr;
    GraphCanvas* m_graph = nullptr;
    TextLabel* m_collecting = nullptr;
};
