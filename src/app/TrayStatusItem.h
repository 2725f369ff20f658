#pragma once

#include "StatusAreaWatcher.h"
#include "StatusItem.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

// A status item in the system tray. A tray shows an icon, not a text, and a few pixels of it: the
// icon holds the title's first figure (the CPU load), large enough to read, and the tooltip holds
// the whole title, with "n/a" for a reading that has no figure. The menu opens from the icon; its
// reading rows are drawn as the disabled rows they are, with separators that show.
// Qt's tray icon registers and unregisters itself with blocking calls on the session bus, so the
// icon is made only right after the watcher heard that bus answer; until then the item keeps its
// title and menu, and an item removed before that never shows. An icon in a tray reached through
// the bus is taken away likewise; one docked in an XEmbed tray needs no bus and goes at once.
class TrayStatusItem final : public StatusItem {
    Q_OBJECT
public:
    static constexpr int iconSize = 64;

    explicit TrayStatusItem(std::shared_ptr<StatusAreaWatcher> watcher);
    ~TrayStatusItem() override;

    void setTitle(const QString& title) override;
    void setMenu(const QList<MenuEntry>& entries) override;
    qsizetype menuSize() const override { return m_entries.size(); }
    void setMenuTitle(qsizetype position, const QString& title) override;
    void remove() override;

    // The figure drawn for a title of labels, each followed by its figure when it has one: the
    // first reading's ("CPU 12% GPU RAM 62%" gives "12"), "–" when it has none, "" for no title.
    static QString iconFigure(const QString& title);
    // The title with "n/a" for each missing figure ("CPU 12% GPU n/a RAM 62%").
    static QString toolTip(const QString& title);
    static QImage icon(const QString& title);
    QMenu* menu() const { return m_menu.get(); }
    // The icon in the tray; none until the bus answered while a tray was there, nor once removed.
    const QSystemTrayIcon* trayIcon() const { return m_tray.get(); }

private:
    void place();
    void makeIcon();

    // Quit is chosen inside the menu's own mouse handling, and the item may be removed before that
    // handling ends; the menu goes once control is back in the event loop.
    struct LaterDeleter {
        void operator()(QObject* object) const { object->deleteLater(); }
    };
    std::unique_ptr<QMenu, LaterDeleter> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QList<QAction*> m_entries;
    QPointer<QAction> m_quit;
    std::shared_ptr<StatusAreaWatcher> m_watcher;
    QString m_title;
    bool m_placing = false;
    bool m_removed = false;
};
