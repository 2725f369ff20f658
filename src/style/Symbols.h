#pragma once

#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <optional>

class QPainter;
class QRawFont;
class QBrush;

// The symbol names the screens use, drawn with glyphs of the Material Icons font. The font is
// loaded at run time; when it or a glyph is missing the symbol is drawn as a plain ring, so a
// screen never lacks its shape.
class Symbols {
public:
    // The glyph's code point for a known symbol name; nothing for an unknown name.
    static std::optional<char32_t> codePoint(const QString& name);
    static QStringList names();

    // The symbol's outline fitted into a square of `size` pixels at the origin.
    static QPainterPath path(const QString& name, qreal size);
    static void paint(QPainter& painter, const QString& name, const QRectF& box, const QBrush& brush);
    // Drops the outlines kept so far, with what drawing them left attached; those still in use
    // are made again when next asked for.
    static void forgetOutlines();

    // Where the font file is looked for, in order.
    static QStringList fontCandidates();

private:
    static const QRawFont& iconRawFont();
    static QPainterPath outline(const QString& name, qreal size);
};
