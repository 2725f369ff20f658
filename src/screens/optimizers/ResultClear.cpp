#include "ResultClear.h"

#include "tuning/SystemOptimizer.h"

ResultClear::ResultClear(SystemOptimizer& optimizer, std::chrono::milliseconds delay, QObject* card,
                         std::function<void()> clearCard, const QString& timerName)
    : m_optimizer(optimizer), m_delay(delay), m_card(card), m_clearCard(std::move(clearCard)), m_timerName(timerName)
{
}

void ResultClear::schedule(std::optional<OptimizationReport> report)
{
    delete m_timer;
    auto* timer = new QTimer(&m_optimizer);
    timer->setObjectName(m_timerName);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, m_card, m_clearCard);
    QObject::connect(timer, &QTimer::timeout, &m_optimizer, [optimizer = &m_optimizer, report, timer] {
        if (report && optimizer->lastOptimizationReport() == report)
            optimizer->setLastOptimizationReport(std::nullopt);
        timer->deleteLater();
    });
    timer->start(m_delay);
    m_timer = timer;
}
