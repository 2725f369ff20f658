#pragma once

#include "style/PaintCache.h"

#include <QAbstractButton>

// One cell of the frame-limit presets: its text on a rounded rectangle, in the accent while it is
// the active cell and in faint white otherwise.
class PresetCell : public QAbstractButton {
    Q_OBJECT
public:
    explicit PresetCell(const QString& text, QWidget* parent = nullptr);

    bool isActive() const { return m_active; }
    void setActive(bool active);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_active = false;
    PaintCache m_cache;
};
