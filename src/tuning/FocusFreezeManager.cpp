#include "FocusFreezeManager.h"

#include "Defaults.h"
#include "ProcessControl.h"
#include "Workspace.h"

#include <QCollator>
#include <QCoreApplication>
#include <algorithm>
#include <csignal>

int FocusFreezeManager::recoverPausedProcesses(Defaults& defaults, ProcessControl& control)
{
    return FrozenProcessStore::recover(defaults, control);
}

FocusFreezeManager::FocusFreezeManager(const Services& services, QObject* parent)
    : FocusFreezeManager(services, Options{}, parent)
{
}

FocusFreezeManager::FocusFreezeManager(const Services& services, const Options& options, QObject* parent)
    : QObject(parent),
      m_workspace(services.workspace),
      m_processes(services.processes),
      m_defaults(services.defaults),
      m_store(services.defaults),
      m_ownProcessIdentifier(options.ownProcessIdentifier > 0 ? options.ownProcessIdentifier
                                                              : qint32(QCoreApplication::applicationPid())),
      m_ownBundleIdentifier(options.ownBundleIdentifier)
{
    recoverPausedProcesses(m_defaults, m_processes);
    const auto saved = m_defaults.array(selectedCandidatesKey);
    if (saved && std::all_of(saved->cbegin(), saved->cend(), [](const QVariant& id) { return id.typeId() == QMetaType::QString; })) {
        for (const QVariant& id : *saved)
            m_selectedCandidateIDs.insert(id.toString());
    } else if (m_defaults.contains(selectedCandidatesKey)) {
        // Not a selection this application wrote: kept where the user can find it, rather than
        // written over by the next selection.
        m_defaults.setAside({selectedCandidatesKey});
    }
    m_didSelectDefaultCandidates = !m_selectedCandidateIDs.isEmpty();
    m_refreshTimer.setInterval(options.refreshInterval);
    startObserving();
    refreshCandidates();
}

FocusFreezeManager::~FocusFreezeManager()
{
    m_refreshTimer.stop();
    for (auto it = m_frozenProcesses.cbegin(); it != m_frozenProcesses.cend(); ++it)
        m_processes.sendSignal(it->identity(), SIGCONT);
    m_store.save({});
}

template <typename T>
void FocusFreezeManager::publish(T& field, T value)
{
    if (field == value)
        return;
    field = std::move(value);
    emit changed();
}

FreezeRules::Context FocusFreezeManager::context() const
{
    return {m_ownProcessIdentifier, m_ownBundleIdentifier, m_activeProfile};
}

void FocusFreezeManager::startObserving()
{
    // The notices come on the main thread; each is handled a moment later, once the workspace's
    // own handlers are done.
    connect(&m_workspace, &Workspace::applicationActivated, this, [this] {
        refreshCandidates();
        evaluateFrontmost();
    }, Qt::QueuedConnection);
    connect(&m_workspace, &Workspace::applicationTerminated, this, [this] {
        pruneTerminated();
        refreshCandidates();
        evaluateFrontmost();
    }, Qt::QueuedConnection);
    if (auto* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &FocusFreezeManager::resumeAll);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] {
        if (!m_isEnabled)
            return;
        refreshCandidates();
        evaluateFrontmost();
    });
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void FocusFreezeManager::setEnabled(bool enabled)
{
    if (m_isEnabled == enabled)
        return;
    publish(m_isEnabled, enabled);
    if (enabled) {
        refreshCandidates();
        evaluateFrontmost();
    } else {
        resumeAll();
    }
}

void FocusFreezeManager::refreshCandidates()
{
    const FreezeRules::Context rules = context();
    QList<FreezeCandidate> found;
    for (const RunningApplication& application : m_workspace.runningApplications()) {
        if (auto candidate = FreezeRules::makeCandidate(application, rules))
            found.append(std::move(*candidate));
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(found.begin(), found.end(), [&collator](const FreezeCandidate& a, const FreezeCandidate& b) {
        if (a.risk != b.risk)
            return a.risk == FreezeCandidate::Risk::Safe;
        return collator.compare(a.name, b.name) < 0;
    });
    publish(m_candidates, found);

    if (m_selectedCandidateIDs.isEmpty() && !m_didSelectDefaultCandidates) {
        publish(m_selectedCandidateIDs, safeCandidateIDs());
        m_didSelectDefaultCandidates = true;
    }
    saveSelection();
}

QSet<QString> FocusFreezeManager::safeCandidateIDs() const
{
    QSet<QString> safe;
    for (const FreezeCandidate& candidate : m_candidates) {
        if (candidate.risk == FreezeCandidate::Risk::Safe)
            safe.insert(candidate.id);
    }
    return safe;
}

void FocusFreezeManager::evaluateFrontmost()
{
    if (!m_isEnabled)
        return resumeAll();
    if (!m_activeProfile) {
        resumeAll();
        return publish(m_statusText, noProfileText);
    }
    const auto front = m_workspace.frontmostApplication();
    const bool gameInFront = front && m_activeProfile->matches(front->localizedName, front->bundleIdentifier);
    if (gameInFront) {
        publish(m_isGameFrontmost, true);
        return freezeSelected();
    }
    resumeAll();
    publish(m_statusText,
            QStringLiteral("Background apps are awake while you are outside ") + m_activeProfile->name + u'.');
}

void FocusFreezeManager::freezeSelected()
{
    refreshCandidates();
    const FreezeRules::Context rules = context();
    for (const FreezeCandidate& candidate : std::as_const(m_candidates)) {
        if (!m_selectedCandidateIDs.contains(candidate.id) || m_frozenProcesses.contains(candidate.processIdentifier)
            || FreezeRules::isProtected(candidate, rules))
            continue;
        if (m_processes.sendSignal(candidate.identity(), SIGSTOP))
            m_frozenProcesses.insert(candidate.processIdentifier, candidate);
    }
    persistFrozenPIDs();
    updateFrozenNames();

    const QString& game = m_activeProfile->name;
    if (m_frozenNames.isEmpty())
        return publish(m_statusText, game + QStringLiteral(" is active. No selected background apps are frozen."));
    QString text = game + QStringLiteral(" is active. Frozen: ") + m_frozenNames.mid(0, 3).join(QStringLiteral(", "));
    if (m_frozenNames.size() > 3)
        text += QStringLiteral(" +") + QString::number(m_frozenNames.size() - 3);
    publish(m_statusText, text + u'.');
}

void FocusFreezeManager::resumeAll()
{
    for (auto it = m_frozenProcesses.cbegin(); it != m_frozenProcesses.cend(); ++it)
        m_processes.sendSignal(it->identity(), SIGCONT);
    m_frozenProcesses.clear();
    persistFrozenPIDs();
    updateFrozenNames();
    publish(m_isGameFrontmost, false);
    publish(m_statusText, m_isEnabled ? readyText : offText);
}

void FocusFreezeManager::resume(qint32 pid)
{
    const auto frozen = m_frozenProcesses.constFind(pid);
    if (frozen == m_frozenProcesses.cend())
        return;
    m_processes.sendSignal(frozen->identity(), SIGCONT);
    m_frozenProcesses.erase(frozen);
}

void FocusFreezeManager::setActiveProfile(const std::optional<GameProfile>& profile)
{
    const bool sameGame = profile.has_value() == m_activeProfile.has_value()
                          && (!profile || profile->id == m_activeProfile->id);
    if (!sameGame)
        resumeAll();
    m_activeProfile = profile;
    emit changed();
    refreshCandidates();
    evaluateFrontmost();
}

void FocusFreezeManager::toggleCandidate(const QString& candidateID)
{
    QSet<QString> selection = m_selectedCandidateIDs;
    if (!selection.contains(candidateID)) {
        selection.insert(candidateID);
        publish(m_selectedCandidateIDs, selection);
        saveSelection();
        return evaluateFrontmost();
    }
    selection.remove(candidateID);
    publish(m_selectedCandidateIDs, selection);
    const QList<qint32> paused = m_frozenProcesses.keys();
    for (const qint32 pid : paused) {
        if (m_frozenProcesses.value(pid).id == candidateID) {
            resume(pid);
            persistFrozenPIDs();
            updateFrozenNames();
        }
    }
    saveSelection();
    evaluateFrontmost();
}

void FocusFreezeManager::selectSafeOnly()
{
    publish(m_selectedCandidateIDs, safeCandidateIDs());
    m_didSelectDefaultCandidates = true;
    saveSelection();
    resumeDeselected();
    evaluateFrontmost();
}

void FocusFreezeManager::resumeDeselected()
{
    const QList<qint32> paused = m_frozenProcesses.keys();
    for (const qint32 pid : paused) {
        if (!m_selectedCandidateIDs.contains(m_frozenProcesses.value(pid).id)) {
            resume(pid);
            persistFrozenPIDs();
            updateFrozenNames();
        }
    }
}

void FocusFreezeManager::pruneTerminated()
{
    const QList<qint32> paused = m_frozenProcesses.keys();
    for (const qint32 pid : paused) {
        if (!m_processes.sendSignal(m_frozenProcesses.value(pid).identity(), 0))
            m_frozenProcesses.remove(pid);
    }
    persistFrozenPIDs();
    updateFrozenNames();
}

void FocusFreezeManager::saveSelection()
{
    QStringList ids(m_selectedCandidateIDs.cbegin(), m_selectedCandidateIDs.cend());
    ids.sort();
    // Saved once a second while on; the file is rewritten only when the selection changed.
    if (m_defaults.array(selectedCandidatesKey) == QVariant(ids).toList())
        return;
    m_defaults.setValue(selectedCandidatesKey, ids);
}

void FocusFreezeManager::persistFrozenPIDs()
{
    QList<ProcessIdentity> processes;
    for (const FreezeCandidate& candidate : std::as_const(m_frozenProcesses))
        processes.append(candidate.identity());
    m_store.save(processes);
}

void FocusFreezeManager::updateFrozenNames()
{
    QStringList names;
    for (const FreezeCandidate& candidate : std::as_const(m_frozenProcesses))
        names.append(candidate.name);
    std::sort(names.begin(), names.end());
    publish(m_frozenNames, names);
}
