#pragma once

#include "AppScreen.h"
#include "style/PaintCache.h"

#include <QAbstractButton>

// One entry of the screen strip: the screen's title, in the accent on a faint fill while selected.
class ScreenTabButton : public QAbstractButton {
    Q_OBJECT
public:
    ScreenTabButton(AppScreen screen, QWidget* parent = nullptr);

    AppScreen screen() const { return m_screen; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppScreen m_screen;
    bool m_selected = false;
    KeyedPaintCache<bool> m_cache;
};
