#pragma once

#include "AppScreen.h"

#include <QList>
#include "style/ClearScrollArea.h"

class ScreenTabButton;
class SymbolButton;

// The row of screen titles across the top of the main screens. It scrolls sideways, without
// scroll bars, when the window is narrower than the row: with the mouse wheel either way, with the
// arrow at either end (shown only while the row overflows, and dimmed once that end is reached),
// and by itself to keep the selected entry wholly in view.
class ScreenStrip : public ClearScrollArea {
    Q_OBJECT
public:
    explicit ScreenStrip(AppScreen selected, QWidget* parent = nullptr);

    const QList<ScreenTabButton*>& buttons() const { return m_buttons; }
    QStringList titles() const;
    AppScreen selected() const { return m_selected; }
    void setSelected(AppScreen screen);
    bool overflows() const;
    SymbolButton* backArrow() const { return m_back; }
    SymbolButton* forwardArrow() const { return m_forward; }
    // Scroll a page: the nearest entry hidden, wholly or in part, beyond that end comes into view.
    void scrollBack();
    void scrollForward();

signals:
    // The user pressed the entry of a screen other than the selected one.
    void screenSelected(AppScreen screen);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Scrolls the row so that the selected entry is fully in view.
    void showSelected();
    // Shows the arrows while the row is wider than the strip, and makes room for them.
    void updateOverflow();
    void updateArrows();

    QList<ScreenTabButton*> m_buttons;
    SymbolButton* m_back;
    SymbolButton* m_forward;
    AppScreen m_selected;
};
