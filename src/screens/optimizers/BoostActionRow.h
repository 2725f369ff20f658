#pragma once

#include "style/PaintCache.h"
#include "tuning/QuickBoostResult.h"

#include <QColor>
#include <QFont>
#include <QWidget>

// One step of a Quick Boost in its result pop-up: a check mark in the accent, or a cross in red for
// a step that failed, then the step's text. It fades in while sliding from the left as the pop-up's
// entrance runs.
class BoostActionRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int markSize = 12;
    static constexpr int spacing = 8;
    static constexpr qreal entranceOffset = 15;

    explicit BoostActionRow(const QuickBoostResult::QuickBoostAction& action, QWidget* parent = nullptr);

    QString symbol() const;
    QColor markColor() const;
    QString label() const { return m_label; }
    // 0: not yet entered (transparent, shifted left), 1: in place.
    void setEntrance(qreal progress);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintRow(QPainter& painter) const;

    QString m_label;
    bool m_success;
    QFont m_font;
    qreal m_entrance = 1.0;
    PaintCache m_cache;
};
