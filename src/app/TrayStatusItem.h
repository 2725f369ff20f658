#pragma once

#include "StatusItem.h"

#include <QImage>
#include <QList>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// A status item in the system tray. A tray shows an icon, not a text, so the title's figures are
// drawn into the icon, one row per reading in the title's order, and the whole title is the icon's
// tooltip. The menu opens from the icon.
class TrayStatusItem final : public StatusItem {
    Q_OBJECT
public:
    static constexpr int iconSize = 64;

    TrayStatusItem();
    ~TrayStatusItem() override;

    void setTitle(const QString& title) override;
    void setMenu(const QList<MenuEntry>& entries) override;
    qsizetype menuSize() const override { return m_entries.size(); }
    void setMenuTitle(qsizetype position, const QString& title) override;
    void remove() override;

    // The rows drawn for a title of labels, each followed by its figure when it has one
    // ("CPU 12% GPU RAM 62%" gives "12", "–", "62").
    static QStringList iconRows(const QString& title);
    static QImage icon(const QString& title);

private:
    // Quit is chosen inside the menu's own mouse handling, and the item may be removed before that
    // handling ends; the menu goes once control is back in the event loop.
    struct LaterDeleter {
        void operator()(QObject* object) const { object->deleteLater(); }
    };
    std::unique_ptr<QMenu, LaterDeleter> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QList<QAction*> m_entries;
};
