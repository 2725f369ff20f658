#pragma once

class QTextDocument;

// Lines of a text document that keep their shaped glyphs between paints. QTextLayout drops them
// once a line is laid out, so a QPlainTextEdit or a selectable QLabel would shape its text again
// on every paint, and the moving backdrop repaints them several times a second.
class KeptGlyphs {
public:
    // The lines there are now and those of every later change.
    static void keep(QTextDocument& document);
};
