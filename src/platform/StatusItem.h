#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One item in the system's status area: a short text and a drop-down menu. The menu's entries are
// found by their position. Removing the item takes it out of the status area for good; an item is
// also removed when it is destroyed. Main thread only.
class StatusItem : public QObject {
    Q_OBJECT
public:
    struct MenuEntry {
        enum class Kind {
            Text,      // a line that cannot be chosen
            Separator,
            Quit,      // the one entry that can be chosen; it emits quitChosen()
        };
        Kind kind = Kind::Text;
        QString title;
    };

    using QObject::QObject;
    ~StatusItem() override = default;

    virtual void setTitle(const QString& title) = 0;
    // Replaces the whole menu.
    virtual void setMenu(const QList<MenuEntry>& entries) = 0;
    // The number of entries of the menu; 0 while there is none.
    virtual qsizetype menuSize() const = 0;
    // Retitles the entry at `position`; a position outside the menu is ignored.
    virtual void setMenuTitle(qsizetype position, const QString& title) = 0;
    virtual void remove() = 0;

signals:
    void quitChosen();
};
