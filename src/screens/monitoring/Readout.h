#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class QLabel;

// Numbers as the screens show them. A value that is not finite (a reading that failed, a division
// by nothing) is shown as absent, never as "nan" or as whatever integer the conversion happens to
// give.
class Readout {
public:
    // Truncated toward zero; nothing when not finite or beyond the integers.
    static std::optional<qint64> wholeNumber(double value);
    // The whole number in decimal, or empty.
    static QString wholeText(double value);
    // The value through a printf pattern that takes one double; empty when not finite.
    static QString format(const char* pattern, double value);
    // Gives a label that shows a changing reading the size of `widest`, its widest text, so a new
    // reading repaints the label alone instead of laying out the whole screen again.
    static void holdSize(QLabel& label, const QString& widest, Qt::Alignment alignment);
};
