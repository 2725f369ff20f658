#pragma once

#include "GameOverlay.h"
#include "Locked.h"

#include <QHash>
#include <QStringList>

// A frame limit and HUD that answer as the test sets them and remember what they were asked.
class FakeGameOverlay final : public GameOverlay {
public:
    struct State {
        std::optional<qint64> limit;
        Change change{Change::Status::Done};
        // Per bundle identifier; Done for any other.
        QHash<QString, HUDWrite> hud;
        // Named as left out when switching the HUD on.
        QStringList unaffectedPrograms;
        std::optional<QString> unavailable;
        QString hudName = QStringLiteral("the HUD");
        // "set 60", "remove", "hud <bundle> on|off", "own" or "own limit", "uninstall", in order.
        QStringList calls;
        // The games given to the last clean-up.
        QStringList ownHUDs;
    };
    Locked<State> state;

    std::optional<qint64> readFrameLimit() override { return state.get().limit; }
    Change writeFrameLimit(qint64 limit) override
    {
        return state.with([&](State& s) {
            s.calls.append("set " + QString::number(limit));
            Change change = s.change;
            if (change.done()) {
                s.limit = limit;
                change.limitInForce = s.limit;
            }
            return change;
        });
    }
    Change removeFrameLimit() override
    {
        return state.with([](State& s) {
            s.calls.append("remove");
            Change change = s.change;
            if (change.done()) {
                s.limit.reset();
                change.limitInForce = s.limit;
            }
            return change;
        });
    }
    HUDWrite writeHUD(const QString& bundleIdentifier, bool enabled) override
    {
        return state.with([&](State& s) {
            s.calls.append("hud " + bundleIdentifier + (enabled ? " on" : " off"));
            return s.hud.value(bundleIdentifier, HUDWrite::Done);
        });
    }
    HUDWrites writeHUDs(const QStringList& bundleIdentifiers, bool enabled) override
    {
        HUDWrites writes = GameOverlay::writeHUDs(bundleIdentifiers, enabled);
        if (enabled)
            writes.unaffectedPrograms = state.get().unaffectedPrograms;
        return writes;
    }
    QString hudName() const override { return state.get().hudName; }
    std::optional<QString> unavailableReason() const override { return state.get().unavailable; }
    void removeOwnSettings(bool frameLimitSet, const QStringList& hudBundleIdentifiers) override
    {
        state.with([&](State& s) {
            s.calls.append(frameLimitSet ? "own limit" : "own");
            s.ownHUDs = hudBundleIdentifiers;
        });
    }
    void removeSystemWideSettings() override { state.with([](State& s) { s.calls.append("uninstall"); }); }

    QStringList calls() const { return state.get().calls; }
};
