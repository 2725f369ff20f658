#pragma once

#include "AppScreen.h"

#include <QList>
#include <QScrollArea>

class ScreenTabButton;

// The row of screen titles across the top of the main screens. It scrolls sideways, without
// scroll bars, when the window is narrower than the row: with the mouse wheel either way, and by
// itself to keep the selected entry in view.
class ScreenStrip : public QScrollArea {
    Q_OBJECT
public:
    explicit ScreenStrip(AppScreen selected, QWidget* parent = nullptr);

    const QList<ScreenTabButton*>& buttons() const { return m_buttons; }
    QStringList titles() const;
    AppScreen selected() const { return m_selected; }
    void setSelected(AppScreen screen);

signals:
    // The user pressed the entry of a screen other than the selected one.
    void screenSelected(AppScreen screen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Scrolls the row so that the selected entry is fully in view.
    void showSelected();

    QList<ScreenTabButton*> m_buttons;
    AppScreen m_selected;
};
