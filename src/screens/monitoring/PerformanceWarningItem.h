#pragma once

#include <QColor>
#include <QString>
#include <QUuid>

// One warning of the Dashboard: a headline, a line of advice, a symbol and a colour. Every item
// built gets an identifier of its own.
struct PerformanceWarningItem {
    QUuid id;
    QString title;
    QString message;
    QString icon;
    QColor color;

    // The same warning as shown, whatever the identifiers.
    bool sameContent(const PerformanceWarningItem& other) const
    {
        return title == other.title && message == other.message && icon == other.icon && color == other.color;
    }
};
