#pragma once

#include "StatusAreaWatcher.h"
#include "XEmbedTrayWatch.h"

#include <memory>

// The tray of a Linux desktop, whichever kind it runs: a StatusNotifierItem host, as the session
// bus's watcher tells, or an XEmbed tray that owns the X screen's tray selection. Qt's tray icon
// asks the session bus which kind to use even where only the XEmbed tray runs, so the answers of
// that bus are still the ones an icon waits for.
// Qt picks the kind once a process, when its first tray icon is made: the watcher's host if one
// is registered then, else the XEmbed tray, and its icons never move to the other kind. From that
// icon on, only the kind picked counts as a tray there.
class DesktopTrayWatch final : public StatusAreaWatcher {
    Q_OBJECT
public:
    // `xembed` may be null where there is no X display.
    DesktopTrayWatch(std::shared_ptr<StatusAreaWatcher> bus, std::shared_ptr<XEmbedTrayWatch> xembed,
                     QObject* parent = nullptr);

    bool isHostPresent() const override;
    bool isAnswering() const override { return m_bus->isAnswering(); }
    void afterNextAnswer(QObject* context, std::function<void()> then) override;
    void iconAboutToBeMade() override;
    bool iconsGoThroughTheBus() const override { return m_kind != Kind::XEmbed; }

private:
    enum class Kind { Either, StatusNotifier, XEmbed };

    std::shared_ptr<StatusAreaWatcher> m_bus;
    std::shared_ptr<XEmbedTrayWatch> m_xembed;
    Kind m_kind = Kind::Either;
};
