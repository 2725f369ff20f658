#include "NetworkSpeedTest.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>
#include <QUuid>

const QString NetworkSpeedTest::noConnectionError = QStringLiteral("No internet connection.");
const QString NetworkSpeedTest::downloadNotStartedError = QStringLiteral("Could not start the network test.");
const QString NetworkSpeedTest::downloadFailedError =
    QStringLiteral("Download test failed. Check your connection and try again.");
const QString NetworkSpeedTest::downloadInvalidError =
    QStringLiteral("Download test did not return a valid measurement.");
const QString NetworkSpeedTest::uploadFailedError = QStringLiteral("Upload test failed. Download result was kept.");
const QString NetworkSpeedTest::uploadInvalidError = QStringLiteral("Upload test did not return a valid measurement.");

namespace {

qint64 monotonicNanoseconds()
{
    static const QElapsedTimer origin = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return origin.nsecsElapsed();
}

std::optional<QUrl> serviceAddress(const QUrl& service, const QString& path)
{
    if (!service.isValid() || service.host().isEmpty())
        return std::nullopt;
    QUrl address = service;
    address.setPath(path);
    address.setQuery(QString());
    address.setFragment(QString());
    return address;
}

QNetworkRequest freshRequest(const QUrl& address, int timeoutMs)
{
    QNetworkRequest request(address);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

bool answeredWithSuccess(const QNetworkReply* reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return reply->error() == QNetworkReply::NoError && status.isValid() && status.toInt() >= 200
           && status.toInt() <= 299;
}

} // namespace

NetworkSpeedTest::NetworkSpeedTest(QUrl service, int requestTimeoutMs, Clock clock, QObject* parent)
    : QObject(parent), m_service(std::move(service)), m_requestTimeoutMs(requestTimeoutMs),
      m_clock(clock ? std::move(clock) : Clock(&monotonicNanoseconds))
{
}

std::optional<QUrl> NetworkSpeedTest::downloadAddress(const QUrl& service)
{
    auto address = serviceAddress(service, QStringLiteral("/__down"));
    if (address) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("bytes"), QString::number(kDownloadBytes));
        query.addQueryItem(QStringLiteral("cacheBust"), QUuid::createUuid().toString(QUuid::WithoutBraces));
        address->setQuery(query);
    }
    return address;
}

QUrl NetworkSpeedTest::uploadAddress(const QUrl& service)
{
    return serviceAddress(service, QStringLiteral("/__up")).value_or(QUrl());
}

void NetworkSpeedTest::start()
{
    if (m_running)
        return;
    m_running = true;
    const auto address = downloadAddress(m_service);
    if (!address) {
        finish(downloadNotStartedError);
        return;
    }
    m_manager = new QNetworkAccessManager(this);
    m_startedAt = m_clock();
    emit downloadIssued();
    QNetworkReply* reply = m_manager->get(freshRequest(*address, m_requestTimeoutMs));
    connect(reply, &QNetworkReply::finished, this, [this, reply] { handleDownloadResult(reply); });
}

void NetworkSpeedTest::handleDownloadResult(QNetworkReply* reply)
{
    reply->deleteLater();
    const QByteArray body = answeredWithSuccess(reply) ? reply->readAll() : QByteArray();
    if (body.isEmpty()) {
        finish(downloadFailedError);
        return;
    }
    const double elapsed = secondsSince(m_startedAt);
    if (elapsed <= 0) {
        finish(downloadInvalidError);
        return;
    }
    emit downloadMeasured(body.size(), elapsed);
    runUploadTest();
}

void NetworkSpeedTest::runUploadTest()
{
    QNetworkRequest request = freshRequest(uploadAddress(m_service), m_requestTimeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
    const QByteArray body(kUploadBytes, char(0xA5));
    m_startedAt = m_clock();
    QNetworkReply* reply = m_manager->post(request, body);
    connect(reply, &QNetworkReply::finished, this, [this, reply, size = body.size()] { handleUploadResult(reply, size); });
}

void NetworkSpeedTest::handleUploadResult(QNetworkReply* reply, qint64 bodyBytes)
{
    reply->deleteLater();
    if (!answeredWithSuccess(reply)) {
        finish(uploadFailedError);
        return;
    }
    const double elapsed = secondsSince(m_startedAt);
    if (elapsed <= 0) {
        finish(uploadInvalidError);
        return;
    }
    emit uploadMeasured(bodyBytes, elapsed);
    finish(QString());
}

void NetworkSpeedTest::finish(const QString& error)
{
    if (m_manager)
        m_manager->deleteLater();
    m_running = false;
    emit finished(error);
}

double NetworkSpeedTest::secondsSince(qint64 start) const
{
    return double(m_clock() - start) / 1e9;
}
