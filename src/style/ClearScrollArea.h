#pragma once

#include <QScrollArea>

// A scroll view without a frame or a fill, over the backdrop, whose contents keep the width of the
// view: it never scrolls sideways. Frameless, it has nothing of its own to paint, so it skips its
// paint event; the moving backdrop would otherwise run the frame's style code under it each frame.
// Its vertical scroll bar keeps its picture for the same reason. It is no Tab stop of its own: Tab
// goes to the controls in it, which are scrolled into view as they take the focus. A page key it
// has nothing to page through with goes on to the page around it.
class ClearScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit ClearScrollArea(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
