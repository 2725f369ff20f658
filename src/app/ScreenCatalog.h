#pragma once

#include "AppScreen.h"
#include "ScreenServices.h"

class QWidget;

// Builds the screen shown for each entry of the strip, with the services it borrows.
class ScreenCatalog {
public:
    static QWidget* create(AppScreen screen, const ScreenServices& services, QWidget* parent = nullptr);
};
