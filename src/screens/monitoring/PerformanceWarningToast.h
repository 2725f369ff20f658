#pragma once

#include "PerformanceWarningItem.h"
#include "style/PaintCache.h"

#include <QList>
#include <QWidget>

class QVBoxLayout;
class RoundedPanel;
class SymbolView;

// The warnings at the top of the Dashboard: a badge in the first warning's colour, the heading
// "Performance Warning" and one row per warning with its symbol, title and advice, on a panel
// tinted with that colour.
class PerformanceWarningToast : public QWidget {
    Q_OBJECT
public:
    explicit PerformanceWarningToast(QWidget* parent = nullptr);

    // The tint is read from the colour-blind setting when the list is empty.
    void setWarnings(const QList<PerformanceWarningItem>& warnings);
    const QList<PerformanceWarningItem>& warnings() const { return m_warnings; }
    QColor tint() const { return m_tint; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildRow(const PerformanceWarningItem& warning);

    QList<PerformanceWarningItem> m_warnings;
    QColor m_tint;
    RoundedPanel* m_badge = nullptr;
    SymbolView* m_badgeSymbol = nullptr;
    QVBoxLayout* m_rows;
    PaintCache m_cache;
};
