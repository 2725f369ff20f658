#pragma once

#include "StatusBar.h"

#include <QPointer>
#include <QStringList>

// What one item of the fake status area showed; it outlives the item.
struct FakeStatusRecord {
    QString title;
    QList<StatusItem::MenuEntry> menu;
    bool removed = false;

    QStringList menuTitles() const
    {
        QStringList titles;
        for (const StatusItem::MenuEntry& entry : menu)
            titles.append(entry.title);
        return titles;
    }
};

class FakeStatusItem final : public StatusItem {
    Q_OBJECT
public:
    explicit FakeStatusItem(std::shared_ptr<FakeStatusRecord> record) : m_record(std::move(record)) {}

    void setTitle(const QString& title) override { m_record->title = title; }
    void setMenu(const QList<MenuEntry>& entries) override { m_record->menu = entries; }
    qsizetype menuSize() const override { return m_record->menu.size(); }
    void setMenuTitle(qsizetype position, const QString& title) override
    {
        if (position >= 0 && position < m_record->menu.size())
            m_record->menu[position].title = title;
    }
    void remove() override { m_record->removed = true; }

    void chooseQuit() { emit quitChosen(); }

private:
    std::shared_ptr<FakeStatusRecord> m_record;
};

// A status area that tests switch on and off; it keeps a record of every item it made.
class FakeStatusBar final : public StatusBar {
public:
    bool isAvailable() const override { return available && reachable; }
    bool isReachable() const override { return reachable; }
    std::unique_ptr<StatusItem> addItem() override
    {
        if (!isAvailable())
            return nullptr;
        records.append(std::make_shared<FakeStatusRecord>());
        auto item = std::make_unique<FakeStatusItem>(records.last());
        lastItem = item.get();
        return item;
    }

    // Items made and not removed.
    qsizetype shownCount() const
    {
        return std::count_if(records.cbegin(), records.cend(), [](const auto& record) { return !record->removed; });
    }
    const FakeStatusRecord& last() const { return *records.last(); }
    void setAvailable(bool now)
    {
        available = now;
        emit availabilityChanged();
    }

    void setReachable(bool now)
    {
        reachable = now;
        emit availabilityChanged();
    }

    bool available = true;
    bool reachable = true;
    QList<std::shared_ptr<FakeStatusRecord>> records;
    QPointer<FakeStatusItem> lastItem;
};
