#pragma once

#include "FreezeCandidate.h"
#include "FreezeRules.h"
#include "FrozenProcessStore.h"
#include "GameProfile.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <optional>

class Defaults;
class ProcessControl;
class Workspace;

// Background Freeze: while the linked profile's game is the frontmost application, pauses the
// background applications the user selected (SIGSTOP) and resumes them (SIGCONT) as soon as another
// application comes to the front, the switch goes off, or the manager goes. Only the user's own
// ordinary applications are ever paused (see FreezeRules). Paused processes are recorded in the
// defaults so that recoverPausedProcesses() resumes them at the next start after a crash.
// Lives on the main thread; published state changes there only and is announced by changed().
class FocusFreezeManager : public QObject {
    Q_OBJECT
public:
    struct Services {
        Workspace& workspace;
        ProcessControl& processes;
        Defaults& defaults;
    };
    struct Options {
        // 0 means this process.
        qint32 ownProcessIdentifier = 0;
        // This application's own bundle identifier, when it has one.
        QString ownBundleIdentifier;
        std::chrono::milliseconds refreshInterval{1000};
    };

    static inline const QString selectedCandidatesKey =
        QStringLiteral("com.quillmarsh.backgroundFreeze.selectedCandidates");
    static inline const QString frozenProcessRecoveryKey = FrozenProcessStore::pidsKey;

    static inline const QString createdText =
        QStringLiteral("Choose a profile, enable Background Freeze, then switch into the game.");
    static inline const QString noProfileText = QStringLiteral("Pick or activate a game profile first.");
    static inline const QString readyText = QStringLiteral(
        "Background Freeze is ready. Switch into the selected game to pause selected background apps.");
    static inline const QString offText =
        QStringLiteral("Background Freeze is off. All paused apps have been resumed.");

    // Resumes the processes an earlier run left paused, when each is still the same process, and
    // forgets them. Every new manager calls it; the application's start uses
    // FrozenProcessStore::recoverSoon(), which does the same without holding up the first frame.
    static int recoverPausedProcesses(Defaults& defaults, ProcessControl& control);

    explicit FocusFreezeManager(const Services& services, QObject* parent = nullptr);
    FocusFreezeManager(const Services& services, const Options& options, QObject* parent = nullptr);
    // Resumes everything it paused.
    ~FocusFreezeManager() override;

    // Published state.
    bool isEnabled() const { return m_isEnabled; }
    // Switching on evaluates the frontmost application at once; switching off resumes all.
    void setEnabled(bool enabled);
    const QSet<QString>& selectedCandidateIDs() const { return m_selectedCandidateIDs; }
    // Safe before Review, each by name without regard to case.
    const QList<FreezeCandidate>& candidates() const { return m_candidates; }
    // The paused applications' names, in plain ascending order.
    const QStringList& frozenNames() const { return m_frozenNames; }
    bool isGameFrontmost() const { return m_isGameFrontmost; }
    const QString& statusText() const { return m_statusText; }
    const std::optional<GameProfile>& activeProfile() const { return m_activeProfile; }

    // Links the game; linking another game (or none) first resumes all.
    void setActiveProfile(const std::optional<GameProfile>& profile);
    // Allows or forbids pausing the candidate; forbidding resumes it at once.
    void toggleCandidate(const QString& candidateID);
    // Allows exactly the Safe candidates; resumes the others.
    void selectSafeOnly();
    void refreshCandidates();
    void resumeAll();

signals:
    void changed();

private:
    template <typename T>
    void publish(T& field, T value);
    FreezeRules::Context context() const;
    QSet<QString> safeCandidateIDs() const;
    void startObserving();
    void evaluateFrontmost();
    void freezeSelected();
    void resumeDeselected();
    void pruneTerminated();
    void resume(qint32 pid);
    void saveSelection();
    void persistFrozenPIDs();
    void updateFrozenNames();

    Workspace& m_workspace;
    ProcessControl& m_processes;
    Defaults& m_defaults;
    FrozenProcessStore m_store;
    qint32 m_ownProcessIdentifier;
    QString m_ownBundleIdentifier;

    bool m_isEnabled = false;
    QSet<QString> m_selectedCandidateIDs;
    QList<FreezeCandidate> m_candidates;
    QStringList m_frozenNames;
    bool m_isGameFrontmost = false;
    QString m_statusText = createdText;
    std::optional<GameProfile> m_activeProfile;
    QMap<qint32, FreezeCandidate> m_frozenProcesses;
    bool m_didSelectDefaultCandidates = false;
    QTimer m_refreshTimer;
};
