#include "MangoHudOverlay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kLimitNeedsMangoHud = QStringLiteral("The frame limit needs MangoHud: install the mangohud package.");
const QString kHUDNeedsMangoHud = QStringLiteral("The HUD needs MangoHud: install the mangohud package.");
const QString kFailedToSet = QStringLiteral("Failed to set frame limit");
const QString kFailedToRemove = QStringLiteral("Failed to remove frame limit");
const QByteArray kLimitKey = QByteArrayLiteral("fps_limit");
const QByteArray kReplacedOpen = QByteArrayLiteral(" (was: ");
// What MangoHud shows when nothing else is chosen, written out so that a game's file shows it too.
const QByteArray kHUDItems = QByteArrayLiteral("fps\nframetime\nframe_timing\ncpu_stats\ngpu_stats\n");

// The file's bytes cut after each line break; the last line may have none. An absent file has no
// lines; one that exists but cannot be read gives nothing.
std::optional<QByteArrayList> readLines(const QString& path)
{
    QFile file(path);
    if (!QFileInfo::exists(path))
        return QByteArrayList{};
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QByteArrayList lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype lineBreak = bytes.indexOf('\n', start);
        const qsizetype end = lineBreak < 0 ? bytes.size() : lineBreak + 1;
        lines.append(bytes.mid(start, end - start));
        start = end;
    }
    return lines;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    // A link (into a dotfiles folder, say) stays a link: the save replaces its target.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray withoutLineBreak(const QByteArray& line)
{
    return line.endsWith('\n') ? line.chopped(1) : line;
}

QByteArray lineBreakOf(const QByteArray& line)
{
    return line.endsWith('\n') ? QByteArrayLiteral("\n") : QByteArray();
}

// The key of a setting, "key=value" or a bare "key"; empty for comments and blank lines.
QByteArray keyOf(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#'))
        return {};
    const qsizetype equals = trimmed.indexOf('=');
    return (equals < 0 ? trimmed : trimmed.left(equals)).trimmed();
}

QByteArray valueOf(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.mid(equals + 1).trimmed();
}

bool isLimitLine(const QByteArray& line)
{
    return keyOf(line) == kLimitKey;
}

bool isLimitMarker(const QByteArray& line)
{
    const QByteArray text = withoutLineBreak(line);
    return text == MangoHudOverlay::limitMarker
           || (text.startsWith(MangoHudOverlay::limitMarker + kReplacedOpen) && text.endsWith(')'));
}

// The user's line that the marked line replaced, without its line break.
std::optional<QByteArray> replacedBy(const QByteArray& marker)
{
    const QByteArray text = withoutLineBreak(marker);
    const qsizetype start = MangoHudOverlay::limitMarker.size() + kReplacedOpen.size();
    if (text.size() <= start)
        return std::nullopt;
    return text.mid(start, text.size() - start - 1);
}

// The index of the frame-limit line that counts: the last one, as later settings win.
qsizetype lastLimitLine(const QByteArrayList& lines)
{
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (isLimitLine(lines[i]))
            return i;
    }
    return -1;
}

QByteArray joined(const QByteArrayList& lines)
{
    return lines.join(QByteArray());
}

} // namespace

MangoHudOverlay::MangoHudOverlay(Options options) : m_options(std::move(options)) {}

QString MangoHudOverlay::standardConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/MangoHud");
}

bool MangoHudOverlay::mangoHudOnPath()
{
    return !QStandardPaths::findExecutable(QStringLiteral("mangohud")).isEmpty();
}

QString MangoHudOverlay::globalPath() const
{
    return m_options.configFolder + '/' + globalFileName;
}

bool MangoHudOverlay::installed() const
{
    return m_options.installed && m_options.installed();
}

std::optional<qint64> MangoHudOverlay::parseLimit(const QByteArray& value)
{
    return GameOverlay::parseLimit(QString::fromLatin1(value.split(',').first()));
}

std::optional<qint64> MangoHudOverlay::readFrameLimit()
{
    // Without MangoHud no game is held to the line, whatever the file says.
    if (!installed())
        return std::nullopt;
    QMutexLocker lock(&m_mutex);
    const auto lines = readLines(globalPath());
    if (!lines)
        return std::nullopt;
    const qsizetype at = lastLimitLine(*lines);
    return at < 0 ? std::nullopt : parseLimit(valueOf((*lines)[at]));
}

GameOverlay::Change MangoHudOverlay::writeFrameLimit(qint64 limit)
{
    if (!installed())
        return {Change::Status::Unavailable, kLimitNeedsMangoHud};
    QMutexLocker lock(&m_mutex);
    auto lines = readLines(globalPath());
    if (!lines)
        return {Change::Status::Failed, kFailedToSet};
    const QByteArrayList before = *lines;
    const QByteArray setting = kLimitKey + '=' + QByteArray::number(limit);
    const qsizetype at = lastLimitLine(*lines);
    if (at < 0) {
        // At the top, so that a file without a final line break keeps its last line as it is.
        lines->prepend(setting + '\n');
        lines->prepend(limitMarker + '\n');
    } else if (at > 0 && isLimitMarker((*lines)[at - 1])) {
        (*lines)[at] = setting + lineBreakOf((*lines)[at]);
    } else {
        const QByteArray replaced = (*lines)[at];
        (*lines)[at] = setting + lineBreakOf(replaced);
        lines->insert(at, limitMarker + kReplacedOpen + withoutLineBreak(replaced) + ")\n");
    }
    if (!writeBytes(globalPath(), joined(*lines)))
        return {Change::Status::Failed, kFailedToSet};
    // A game whose file still holds the old limit keeps it, so that counts as a failure too; the
    // files go back to what they were, since a failed change is not taken back at quit.
    if (!syncGameFiles(*lines)) {
        writeBytes(globalPath(), joined(before));
        syncGameFiles(before);
        return {Change::Status::Failed, kFailedToSet};
    }
    return {Change::Status::Done};
}

GameOverlay::Change MangoHudOverlay::removeFrameLimit()
{
    if (!installed())
        return {Change::Status::Unavailable, kLimitNeedsMangoHud};
    QMutexLocker lock(&m_mutex);
    if (!removeLimitLines(Removal::All))
        return {Change::Status::Failed, kFailedToRemove};
    return {Change::Status::Done};
}

void MangoHudOverlay::removeOwnFrameLimit()
{
    QMutexLocker lock(&m_mutex);
    removeLimitLines(Removal::OwnOnly);
}

void MangoHudOverlay::removeSystemWideSettings()
{
    QMutexLocker lock(&m_mutex);
    removeLimitLines(Removal::OwnOnly);
    // Games' files outlive a run that ended without its clean-up, and MangoHud would keep forcing the
    // HUD into those games.
    const QDir folder(m_options.configFolder);
    for (const QString& name : ownGameFiles())
        QFile::remove(folder.filePath(name));
}

bool MangoHudOverlay::removeLimitLines(Removal removal)
{
    const auto lines = readLines(globalPath());
    if (!lines)
        return false;
    QByteArrayList kept;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        const QByteArray& line = (*lines)[i];
        const bool marksNext = isLimitMarker(line) && i + 1 < lines->size() && isLimitLine((*lines)[i + 1]);
        if (marksNext) {
            // The user's own line comes back only when this application takes its own line back.
            const auto replaced = replacedBy(line);
            if (removal == Removal::OwnOnly && replaced)
                kept.append(*replaced + lineBreakOf((*lines)[i + 1]));
            ++i;
            continue;
        }
        if (removal == Removal::All && isLimitLine(line))
            continue;
        kept.append(line);
    }
    if (kept == *lines)
        return true;
    return writeBytes(globalPath(), joined(kept)) && syncGameFiles(kept);
}

QByteArray MangoHudOverlay::gameFile(const QByteArrayList& globalLines) const
{
    QByteArray bytes = hudMarker + '\n' + kHUDItems;
    // MangoHud reads a game's file instead of MangoHud.conf, so the limit has to be in it too.
    if (const qsizetype at = lastLimitLine(globalLines); at >= 0)
        bytes += kLimitKey + '=' + valueOf(globalLines[at]) + '\n';
    return bytes;
}

QStringList MangoHudOverlay::ownGameFiles() const
{
    QStringList own;
    const QDir folder(m_options.configFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*.conf")}, QDir::Files)) {
        if (name == globalFileName)
            continue;
        const auto lines = readLines(folder.filePath(name));
        if (lines && !lines->isEmpty() && withoutLineBreak(lines->first()) == hudMarker)
            own.append(name);
    }
    return own;
}

bool MangoHudOverlay::syncGameFiles(const QByteArrayList& globalLines)
{
    const QByteArray contents = gameFile(globalLines);
    bool synced = true;
    const QDir folder(m_options.configFolder);
    for (const QString& name : ownGameFiles()) {
        const auto lines = readLines(folder.filePath(name));
        if (!lines || joined(*lines) != contents)
            synced = writeBytes(folder.filePath(name), contents) && synced;
    }
    return synced;
}

GameOverlay::HUDWrite MangoHudOverlay::writeHUD(const QString& bundleIdentifier, bool enabled)
{
    return writeHUDs({bundleIdentifier}, enabled).first();
}

QList<GameOverlay::HUDWrite> MangoHudOverlay::writeHUDs(const QStringList& bundleIdentifiers, bool enabled)
{
    // Switching off only removes files, which needs no MangoHud.
    if (enabled && !installed())
        return QList<HUDWrite>(bundleIdentifiers.size(), HUDWrite::Failed);
    const QHash<QString, QStringList> programs =
        m_options.programsOf ? m_options.programsOf(bundleIdentifiers) : QHash<QString, QStringList>();
    QMutexLocker lock(&m_mutex);
    const auto global = readLines(globalPath());
    QList<HUDWrite> writes;
    for (const QString& bundleIdentifier : bundleIdentifiers)
        writes.append(writeGameFiles(programs.value(bundleIdentifier), enabled, global));
    return writes;
}

GameOverlay::HUDWrite MangoHudOverlay::writeGameFiles(const QStringList& programs, bool enabled,
                                                      const std::optional<QByteArrayList>& global)
{
    bool any = false;
    bool ok = true;
    for (const QString& program : programs) {
        const QString fileName = program + QStringLiteral(".conf");
        if (program.isEmpty() || program.contains('/') || program.startsWith('.') || fileName == globalFileName)
            continue;
        any = true;
        const QString path = m_options.configFolder + '/' + fileName;
        const auto lines = readLines(path);
        if (!lines) {
            ok = false;
            continue;
        }
        const bool exists = QFileInfo::exists(path);
        const bool ours = exists && !lines->isEmpty() && withoutLineBreak(lines->first()) == hudMarker;
        if (enabled) {
            // A file of the user's own for the game already decides what its HUD shows.
            if (!exists || ours)
                ok = global && writeBytes(path, gameFile(*global)) && ok;
        } else if (ours) {
            ok = QFile::remove(path) && ok;
        }
    }
    if (enabled && !any)
        return HUDWrite::NoGame;
    return ok ? HUDWrite::Done : HUDWrite::Failed;
}

std::optional<QString> MangoHudOverlay::unavailableReason() const
{
    if (installed())
        return std::nullopt;
    return kHUDNeedsMangoHud;
}
