#pragma once

#include <QWidget>

// Stands in for a screen that is not built yet: its title in an empty glass card.
class PlaceholderScreen : public QWidget {
    Q_OBJECT
public:
    explicit PlaceholderScreen(const QString& title, QWidget* parent = nullptr);
};
