#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// One download of a fixed size from a speed-test service, then one upload to it, each timed.
// Every test runs on a fresh network manager (no cache, no cookies kept); the result signals come
// on the main thread, in order, and finished() always last, once per start().
class NetworkSpeedTest : public QObject {
    Q_OBJECT
public:
    // Monotonic time in nanoseconds.
    using Clock = std::function<qint64()>;

    static constexpr qint64 kDownloadBytes = 10'000'000;
    static constexpr qint64 kUploadBytes = 2'000'000;
    static constexpr int kRequestTimeoutMs = 30'000;

    static const QString noConnectionError;
    static const QString downloadNotStartedError;
    static const QString downloadFailedError;
    static const QString downloadInvalidError;
    static const QString uploadFailedError;
    static const QString uploadInvalidError;

    // `service` is the service's base address; requests go to its "/__down" and "/__up" paths.
    explicit NetworkSpeedTest(QUrl service, int requestTimeoutMs = kRequestTimeoutMs, Clock clock = {},
                              QObject* parent = nullptr);

    bool isRunning() const { return m_running; }
    // Does nothing while a test runs.
    void start();

    // Nothing when the service's address has no host to reach.
    static std::optional<QUrl> downloadAddress(const QUrl& service);
    // Formed from a service address that downloadAddress() accepted.
    static QUrl uploadAddress(const QUrl& service);

signals:
    void downloadIssued();
    void downloadMeasured(qint64 bytes, double seconds);
    void uploadMeasured(qint64 bytes, double seconds);
    // `error` is empty after a test that measured both directions.
    void finished(const QString& error);

private:
    void handleDownloadResult(QNetworkReply* reply);
    void runUploadTest();
    void handleUploadResult(QNetworkReply* reply, qint64 bodyBytes);
    void finish(const QString& error);
    double secondsSince(qint64 start) const;

    QUrl m_service;
    int m_requestTimeoutMs;
    Clock m_clock;
    bool m_running = false;
    qint64 m_startedAt = 0;
    QPointer<QNetworkAccessManager> m_manager;
};
