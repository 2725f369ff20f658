#pragma once

#include <QObject>

class QWidget;

// Keeps a screen's cards at a readable width, centred, however wide the window grows. A screen that
// scrolls keeps its scroll bar at the window's edge and only its contents are held to the width;
// any other screen widens its own side margins as the window widens.
class ScreenWidth : public QObject {
    Q_OBJECT
public:
    // The widest the cards are drawn, and the least margin beside them.
    static constexpr int maxCardWidth = 1200;
    static constexpr int margin = 16;

    static void limit(QWidget* screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
