#pragma once

#include "ClearScrollArea.h"

#include <initializer_list>

// The frame of a screen: a vertical scroll view over one column of cards, 16 pixels apart and 16
// from the edges, with the backdrop showing through; the space below the last card stays empty.
class ScreenColumn : public ClearScrollArea {
    Q_OBJECT
public:
    explicit ScreenColumn(QWidget* parent = nullptr);

    // Puts the cards into the column, below those already there.
    void addCards(std::initializer_list<QWidget*> cards);
};
