#pragma once

#include <QWidget>

class SwitchToggle;

// A labelled switch: a symbol in the accent, the label, flexible space and the switch.
class ToggleRow : public QWidget {
    Q_OBJECT
public:
    ToggleRow(const QString& icon, const QString& label, bool value, QWidget* parent = nullptr);

    bool value() const;
    // Shows the value without announcing it.
    void setValue(bool value);
    SwitchToggle* toggle() const { return m_toggle; }

signals:
    // The user flipped the switch.
    void valueChanged(bool value);

private:
    SwitchToggle* m_toggle;
};
