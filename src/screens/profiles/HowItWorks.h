#pragma once

#include <QStringList>

class QWidget;

// The "How It Works" card shared by the Game Profiles and Background Freeze screens: its header
// row and one "-" bullet row per text.
class HowItWorks {
public:
    static QWidget* header(QWidget* parent);
    static QWidget* bullet(const QString& text, QWidget* parent);
    // A glass card of the header and the bullets.
    static QWidget* card(const QStringList& bullets, QWidget* parent);
};
