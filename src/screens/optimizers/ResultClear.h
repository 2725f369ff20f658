#pragma once

#include "tuning/OptimizationReport.h"

#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

class SystemOptimizer;

// The delayed clear of one card's result: after `delay` the card's own part runs (emptying its
// result line) and the optimizer's last report is emptied if it is still the report the clear was
// scheduled for. A card keeps one clear; scheduling again restarts it, so a newer result lives its
// full time. The optimizer's part outlives the card: its timer belongs to the optimizer, while the
// card's part is dropped with the card.
class ResultClear {
public:
    ResultClear(SystemOptimizer& optimizer, std::chrono::milliseconds delay, QObject* card,
                std::function<void()> clearCard, const QString& timerName);
    ResultClear(const ResultClear&) = delete;
    ResultClear& operator=(const ResultClear&) = delete;

    // `report`: the optimizer's report that came with the result, or nothing to leave the report alone.
    void schedule(std::optional<OptimizationReport> report);

private:
    SystemOptimizer& m_optimizer;
    std::chrono::milliseconds m_delay;
    QObject* m_card;
    std::function<void()> m_clearCard;
    QString m_timerName;
    QPointer<QTimer> m_timer;
};
