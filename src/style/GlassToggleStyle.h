#pragma once

#include <QWidget>

class SymbolButton;

// A toggle in the glass style: its label, a flexible space, and a circle that is checked in the
// accent while on. Only the circle reacts to clicks.
class GlassToggleStyle : public QWidget {
    Q_OBJECT
public:
    GlassToggleStyle(QWidget* label, QWidget* parent = nullptr);

    bool isOn() const { return m_on; }
    // Shows the value without announcing it.
    void setOn(bool on);
    SymbolButton* button() const { return m_button; }

signals:
    // The user pressed the circle; `on` is the inverted value.
    void toggled(bool on);

private:
    void refresh();

    SymbolButton* m_button;
    bool m_on = false;
};
