#include "MangoHudOverlay.h"

#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kLimitNeedsMangoHud = QStringLiteral("The frame limit needs MangoHud: install the mangohud package.");
const QString kHUDNeedsMangoHud = QStringLiteral("The HUD needs MangoHud: install the mangohud package.");
const QString kFailedToSet = QStringLiteral("Failed to set frame limit");
const QString kFailedToRemove = QStringLiteral("Failed to remove frame limit");
const QByteArray kLimitKey = QByteArrayLiteral("fps_limit");
const QByteArray kReplacedOpen = QByteArrayLiteral(" (was: ");
const QByteArray kFolderRecord =
    QByteArrayLiteral("Quillmarsh made this folder for MangoHud's settings and removes it once nothing else is in it.\n");
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

// "\r\n", "\n", or nothing for a last line without a break.
QByteArray lineBreakOf(const QByteArray& line)
{
    if (line.endsWith("\r\n"))
        return QByteArrayLiteral("\r\n");
    return line.endsWith('\n') ? QByteArrayLiteral("\n") : QByteArray();
}

QByteArray withoutLineBreak(const QByteArray& line)
{
    return line.chopped(lineBreakOf(line).size());
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
    return text == MangoHudOverlay::limitMarker || text == MangoHudOverlay::limitMarker + MangoHudOverlay::newFileNote
           || (text.startsWith(MangoHudOverlay::limitMarker + kReplacedOpen) && text.endsWith(')'));
}

bool marksNewFile(const QByteArray& marker)
{
    return withoutLineBreak(marker) == MangoHudOverlay::limitMarker + MangoHudOverlay::newFileNote;
}

// The user's line that the marked line replaced, without its line break.
std::optional<QByteArray> replacedBy(const QByteArray& marker)
{
    const QByteArray text = withoutLineBreak(marker);
    const QByteArray open = MangoHudOverlay::limitMarker + kReplacedOpen;
    if (!text.startsWith(open))
        return std::nullopt;
    return text.mid(open.size(), text.size() - open.size() - 1);
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

QString MangoHudOverlay::folderRecordPath() const
{
    return m_options.configFolder + '/' + folderRecordName;
}

bool MangoHudOverlay::installed() const
{
    return m_options.installed && m_options.installed();
}

std::optional<qint64> MangoHudOverlay::parseLimit(const QByteArray& value)
{
    return GameOverlay::parseLimit(QString::fromLatin1(value.split(',').first()));
}

void MangoHudOverlay::recoverOnce()
{
    if (m_recovered)
        return;
    m_recovered = true;
    takeBackAll();
}

void MangoHudOverlay::recoverLeftovers()
{
    QMutexLocker lock(&m_mutex);
    recoverOnce();
}

void MangoHudOverlay::takeBackAll()
{
    // The games' files go first, so that taking the limit back has none of them to bring along.
    const QDir folder(m_options.configFolder);
    for (const QString& name : gameFiles(true))
        QFile::remove(folder.filePath(name));
    removeLimitLines(Removal::OwnOnly);
    removeFolderIfEmpty();
    // Anything still in the folder is the user's, and so is the folder now.
    QFile::remove(folderRecordPath());
}

void MangoHudOverlay::removeFolderIfEmpty() const
{
    QDir folder(m_options.configFolder);
    const QStringList left = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (left == QStringList{folderRecordName} && QFile::remove(folderRecordPath()))
        folder.rmdir(folder.absolutePath());
}

bool MangoHudOverlay::save(const QString& path, const QByteArray& bytes) const
{
    if (!QFileInfo::exists(m_options.configFolder)) {
        if (!QDir().mkpath(m_options.configFolder))
            return false;
        if (!AtomicFile::writeThrough(folderRecordPath(), kFolderRecord)) {
            QDir().rmdir(m_options.configFolder);
            return false;
        }
    }
    return AtomicFile::writeThrough(path, bytes);
}

std::optional<qint64> MangoHudOverlay::readFrameLimit()
{
    QMutexLocker lock(&m_mutex);
    recoverOnce();
    // Without MangoHud no game is held to the line, whatever the file says.
    if (!installed())
        return std::nullopt;
    const auto lines = readLines(globalPath());
    if (!lines)
        return std::nullopt;
    const qsizetype at = lastLimitLine(*lines);
    return at < 0 ? std::nullopt : parseLimit(valueOf((*lines)[at]));
}

GameOverlay::Change MangoHudOverlay::writeFrameLimit(qint64 limit)
{
    QMutexLocker lock(&m_mutex);
    recoverOnce();
    if (!installed())
        return {Change::Status::Unavailable, kLimitNeedsMangoHud};
    auto lines = readLines(globalPath());
    if (!lines)
        return {Change::Status::Failed, kFailedToSet};
    const QByteArrayList before = *lines;
    const bool newFile = !QFileInfo::exists(globalPath()) && !QFileInfo(globalPath()).isSymLink();
    const QByteArray setting = kLimitKey + '=' + QByteArray::number(limit);
    const qsizetype at = lastLimitLine(*lines);
    if (at < 0) {
        // At the top, so that a file without a final line break keeps its last line as it is; in the
        // line breaks the file starts with.
        const QByteArray lineBreak =
            lines->isEmpty() || lineBreakOf(lines->first()).isEmpty() ? QByteArrayLiteral("\n") : lineBreakOf(lines->first());
        lines->prepend(setting + lineBreak);
        lines->prepend(limitMarker + (newFile ? newFileNote : QByteArray()) + lineBreak);
    } else if (at > 0 && isLimitMarker((*lines)[at - 1])) {
        (*lines)[at] = setting + lineBreakOf((*lines)[at]);
    } else {
        const QByteArray replaced = (*lines)[at];
        const QByteArray lineBreak = lineBreakOf(replaced);
        (*lines)[at] = setting + lineBreak;
        lines->insert(at, limitMarker + kReplacedOpen + withoutLineBreak(replaced) + ')'
                              + (lineBreak.isEmpty() ? QByteArrayLiteral("\n") : lineBreak));
    }
    // A game whose file still holds the old limit keeps it, so that counts as a failure too; the
    // files go back to what they were at once.
    if (!save(globalPath(), joined(*lines)) || !syncGameFiles(*lines)) {
        if (newFile)
            QFile::remove(globalPath());
        else
            save(globalPath(), joined(before));
        syncGameFiles(before);
        removeFolderIfEmpty();
        return {Change::Status::Failed, kFailedToSet};
    }
    QStringList unaffected;
    for (const QString& name : gameFiles(false))
        unaffected.append(name.chopped(QStringLiteral(".conf").size()));
    return {Change::Status::Done, {}, unaffected};
}

GameOverlay::Change MangoHudOverlay::removeFrameLimit()
{
    QMutexLocker lock(&m_mutex);
    recoverOnce();
    if (!installed())
        return {Change::Status::Unavailable, kLimitNeedsMangoHud};
    if (!removeLimitLines(Removal::All))
        return {Change::Status::Failed, kFailedToRemove};
    return {Change::Status::Done};
}

void MangoHudOverlay::removeOwnSettings(bool, const QStringList&)
{
    QMutexLocker lock(&m_mutex);
    m_recovered = true;
    takeBackAll();
}

void MangoHudOverlay::removeSystemWideSettings()
{
    removeOwnSettings(false, {});
}

bool MangoHudOverlay::removeLimitLines(Removal removal)
{
    const auto lines = readLines(globalPath());
    if (!lines)
        return false;
    QByteArrayList kept;
    bool newFile = false;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        const QByteArray& line = (*lines)[i];
        const bool marksNext = isLimitMarker(line) && i + 1 < lines->size() && isLimitLine((*lines)[i + 1]);
        if (marksNext) {
            newFile = newFile || marksNewFile(line);
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
    if (newFile && kept.isEmpty())
        return QFile::remove(globalPath()) && syncGameFiles(kept);
    return save(globalPath(), joined(kept)) && syncGameFiles(kept);
}

QByteArray MangoHudOverlay::gameFile(const QByteArrayList& globalLines)
{
    // MangoHud reads a game's file instead of MangoHud.conf, so everything the user set there, the
    // limit included, has to be in it too.
    QByteArray bytes = hudMarker + '\n' + joined(globalLines);
    if (!bytes.endsWith('\n'))
        bytes += '\n';
    return bytes + hudLinesMarker + '\n' + kHUDItems;
}

QStringList MangoHudOverlay::gameFiles(bool own) const
{
    QStringList found;
    const QDir folder(m_options.configFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*.conf")}, QDir::Files)) {
        if (name == globalFileName)
            continue;
        const auto lines = readLines(folder.filePath(name));
        const bool ours = lines && !lines->isEmpty() && withoutLineBreak(lines->first()) == hudMarker;
        if (ours == own)
            found.append(name);
    }
    return found;
}

bool MangoHudOverlay::syncGameFiles(const QByteArrayList& globalLines)
{
    const QByteArray contents = gameFile(globalLines);
    bool synced = true;
    const QDir folder(m_options.configFolder);
    for (const QString& name : gameFiles(true)) {
        const auto lines = readLines(folder.filePath(name));
        if (!lines || joined(*lines) != contents)
            synced = save(folder.filePath(name), contents) && synced;
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
    recoverOnce();
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
                ok = global && save(path, gameFile(*global)) && ok;
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
