#pragma once

#include <QWidget>
#include <functional>

class SymbolTileButton;
class TextLabel;

// A whole number between two bounds, changed in fixed steps with a minus and a plus button, beside
// a label its owner words. A step never leaves the bounds.
class Stepper : public QWidget {
    Q_OBJECT
public:
    using Label = std::function<QString(int)>;

    Stepper(int minimum, int maximum, int increment, Label label, QWidget* parent = nullptr);

    int value() const { return m_value; }
    // Shows `value` without announcing it.
    void setValue(int value);
    SymbolTileButton* minusButton() const { return m_minus; }
    SymbolTileButton* plusButton() const { return m_plus; }
    QString text() const;

signals:
    // The user stepped to `value`.
    void stepped(int value);

private:
    void step(int direction);

    int m_minimum;
    int m_maximum;
    int m_step;
    int m_value;
    Label m_label;
    TextLabel* m_text;
    SymbolTileButton* m_minus;
    SymbolTileButton* m_plus;
};
