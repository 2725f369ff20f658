#pragma once

#include "style/TileButton.h"

#include <functional>

// A tile of the System Tools card: its symbol above its title, green and outlined while the tool
// is on, muted otherwise. Never disabled.
class OptimizerButton : public TileButton {
    Q_OBJECT
public:
    OptimizerButton(const QString& icon, const QString& title, std::function<void()> action, QWidget* parent = nullptr);

    void setActive(bool active);
    bool isActive() const { return m_isActive; }

private:
    void refresh();

    QString m_icon;
    QString m_title;
    bool m_isActive = false;
};
