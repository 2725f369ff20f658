#pragma once

#include "NineSlice.h"

#include <QPlainTextEdit>

// A multi-line text field with the look FieldLook gives the one-line fields: no frame, the faint
// white fill in a rounded rectangle, the padding inside it, the text in the interface font and
// the bright white, the placeholder dimmer; lines wrap at its width. It is drawn without a style
// sheet: the fill is a kept
// nine-slice tile, where a style sheet would match its rules and fill a rounded path on every
// repaint of the moving backdrop underneath. Tab never types into it: Tab and Shift+Tab, with or
// without Ctrl, move the focus on and back, as in the one-line fields.
class FieldEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    FieldEditor(int fontSize, int cornerRadius, int padding, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_cornerRadius;
    NineSlice m_fill;
};
