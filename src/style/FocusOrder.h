#pragma once

#include <QList>
#include <QSet>

class QLayout;
class QWidget;

// Puts the Tab order of a window in the order its layouts place the controls: down a column, along
// a row, a grid row by row, each box before the next. Controls made later (rows rebuilt from new
// data, cards added to a grid) would otherwise come last, wherever they are shown. Widgets no
// layout places (sheets and pop-ups laid over a screen) come after what their parent lays out.
class FocusOrder {
public:
    // The widgets under `root` that Tab can reach, in that order.
    static QList<QWidget*> of(QWidget* root);
    // Chains the Tab order of `window` in that order.
    static void arrange(QWidget* window);

private:
    struct Walk {
        QList<QWidget*> found;
        QSet<const QWidget*> visited;
    };
    static void visitChildren(QWidget* widget, Walk& walk);
    static void visit(QWidget* widget, Walk& walk);
    static void visit(QLayout* layout, Walk& walk);
};
