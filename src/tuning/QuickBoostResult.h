#pragma once

#include <QList>
#include <QString>
#include <QUuid>

// The outcome of one Quick Boost.
struct QuickBoostResult {
    // One line of the result: the step, the symbol shown beside it and whether it succeeded.
    struct QuickBoostAction {
        QUuid id = QUuid::createUuid();
        QString icon;
        QString label;
        bool success = false;
    };

    // Gigabytes (bytes / 2^30) by which free memory grew during the boost, never negative; 0 when
    // the boost neither purged nor quit an application, since it then freed nothing itself.
    double ramFreed = 0.0;
    // DNS flush, background applications, memory, in that order.
    QList<QuickBoostAction> actions;
};
