#include "MangoHudOverlay.h"

#include "AtomicFile.h"
#include "BoundedFile.h"
#include "LinkedFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>

namespace {

const QString kLimitNeedsMangoHud = QStringLiteral("The frame limit needs MangoHud: install the mangohud package.");
const QString kHUDNeedsMangoHud = QStringLiteral("The HUD needs MangoHud: install the mangohud package.");
const QString kFailedToSet = QStringLiteral("Failed to set frame limit");
const QString kFailedToRemove = QStringLiteral("Failed to remove frame limit");
const QByteArray kLimitKey = QByteArrayLiteral("fps_limit");
const QByteArray kLimitOpen = QByteArrayLiteral(" to ");
const QByteArray kReplacedOpen = QByteArrayLiteral(" (was: ");
const QByteArray kFolderRecord =
    QByteArrayLiteral("Quillmarsh made this folder for MangoHud's settings and removes it once nothing else is in it.\n");
// What MangoHud shows when nothing else is chosen, written out so that a game's file shows it too.
const QByteArray kHUDItems = QByteArrayLiteral("fps\nframetime\nframe_timing\ncpu_stats\ngpu_stats\n");
// MangoHud's file of presets, which is no game's.
const QString kPresetsFileName = QStringLiteral("presets.conf");
constexpr qint64 kRecordBound = 1 << 20;

QByteArrayList linesOf(const QByteArray& bytes)
{
    QByteArrayList lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype lineBreak = bytes.indexOf('\n', start);
        const qsizetype end = lineBreak < 0 ? bytes.size() : lineBreak + 1;
        lines.append(bytes.mid(start, end - start));
        start = end;
    }
    return lines;
}

// The file's bytes cut after each line break; the last line may have none. An absent file (or a
// link to nothing) has no lines; one that is not a regular file, is above the bound or cannot be
// read gives nothing.
std::optional<QByteArrayList> readLines(const QString& path, qint64 bound)
{
    const BoundedFile::Result file = LinkedFile::read(path, bound);
    if (file.unusable())
        return std::nullopt;
    return linesOf(file.contents);
}

// Something stands at the path, a link to nothing included.
bool occupied(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Removes the file at the path, or the file a link of the user's there leads to, leaving the link.
bool removeThrough(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    const LinkedFile::Place place = LinkedFile::reach(path);
    return place.reached() && ::unlinkat(place.folder.get(), place.name.constData(), 0) == 0;
}

// The file at the path, or the user's own file a link there leads to, holds exactly these bytes.
bool holds(const QString& path, const QByteArray& bytes)
{
    const BoundedFile::Result file = LinkedFile::read(path, bytes.size());
    return file.read() && file.contents == bytes;
}

QByteArray hashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
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

// What a frame-limit marker says: "<limitMarker>[ to <limit>][ (new file)| (was: <line>)]". The
// limit is the value of the line written under it; markers written before it was kept there lack it.
struct LimitMark {
    QByteArray limit;
    bool newFile = false;
    // The user's line that the marked line replaced, without its line break.
    std::optional<QByteArray> replaced;
};

std::optional<LimitMark> limitMarkOf(const QByteArray& line)
{
    const QByteArray text = withoutLineBreak(line);
    if (!text.startsWith(MangoHudOverlay::limitMarker))
        return std::nullopt;
    QByteArray rest = text.mid(MangoHudOverlay::limitMarker.size());
    LimitMark mark;
    if (rest.startsWith(kLimitOpen)) {
        rest = rest.mid(kLimitOpen.size());
        const qsizetype space = rest.indexOf(' ');
        mark.limit = space < 0 ? rest : rest.left(space);
        if (mark.limit.isEmpty())
            return std::nullopt;
        rest = rest.mid(mark.limit.size());
    }
    if (rest == MangoHudOverlay::newFileNote)
        mark.newFile = true;
    else if (rest.startsWith(kReplacedOpen) && rest.size() > kReplacedOpen.size() && rest.endsWith(')'))
        mark.replaced = rest.mid(kReplacedOpen.size(), rest.size() - kReplacedOpen.size() - 1);
    else if (!rest.isEmpty())
        return std::nullopt;
    return mark;
}

QByteArray limitSetting(const QByteArray& limit)
{
    return kLimitKey + '=' + limit;
}

QByteArray markerLine(const LimitMark& mark, const QByteArray& lineBreak)
{
    QByteArray text = MangoHudOverlay::limitMarker + kLimitOpen + mark.limit;
    if (mark.newFile)
        text += MangoHudOverlay::newFileNote;
    else if (mark.replaced)
        text += kReplacedOpen + *mark.replaced + ')';
    return text + (lineBreak.isEmpty() ? QByteArrayLiteral("\n") : lineBreak);
}

// A frame-limit line as this class writes one: "fps_limit=" and digits, nothing else.
bool hasOwnForm(const QByteArray& line)
{
    const QByteArray text = withoutLineBreak(line);
    const QByteArray value = text.mid(kLimitKey.size() + 1);
    return text.startsWith(kLimitKey + '=') && !value.isEmpty()
           && std::all_of(value.cbegin(), value.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

// A marker of this class's and the line it wrote under it, or -1 when that line is no longer there
// (the user removed or changed it).
struct OwnLimit {
    qsizetype marker = -1;
    qsizetype line = -1;
    LimitMark mark;
};

// Every frame-limit marker with its line: the first line after it, and before the next marker, that
// is exactly the line written under it; the lines the user put between are the user's. For a marker
// that does not say its limit, the line right after it when written as this class writes one.
QList<OwnLimit> ownLimits(const QByteArrayList& lines)
{
    QList<OwnLimit> found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto mark = limitMarkOf(lines[i]))
            found.append({i, -1, *mark});
    }
    for (qsizetype k = 0; k < found.size(); ++k) {
        OwnLimit& own = found[k];
        const qsizetype end = k + 1 < found.size() ? found[k + 1].marker : lines.size();
        if (own.mark.limit.isEmpty()) {
            if (own.marker + 1 < end && hasOwnForm(lines[own.marker + 1]))
                own.line = own.marker + 1;
            continue;
        }
        const QByteArray written = limitSetting(own.mark.limit);
        for (qsizetype i = own.marker + 1; i < end && own.line < 0; ++i) {
            if (withoutLineBreak(lines[i]) == written)
                own.line = i;
        }
    }
    return found;
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

std::optional<qint64> limitIn(const QByteArrayList& lines)
{
    const qsizetype at = lastLimitLine(lines);
    return at < 0 ? std::nullopt : MangoHudOverlay::parseLimit(valueOf(lines[at]));
}

bool hasOwnLimit(const QByteArrayList& lines)
{
    const QList<OwnLimit> own = ownLimits(lines);
    return std::any_of(own.cbegin(), own.cend(), [](const OwnLimit& limit) { return limit.line >= 0; });
}

// The lines without the markers and the frame-limit lines this application wrote, each user's line
// one of them replaced back in the marker's place; with `usersToo`, without any other frame-limit
// line either.
QByteArrayList withoutLimitLines(const QByteArrayList& lines, bool usersToo, bool* newFile = nullptr)
{
    QHash<qsizetype, OwnLimit> markers;
    QSet<qsizetype> written;
    for (const OwnLimit& own : ownLimits(lines)) {
        markers.insert(own.marker, own);
        if (own.line >= 0)
            written.insert(own.line);
    }
    QByteArrayList kept;
    const auto keep = [&](const QByteArray& line) {
        if (!(usersToo && isLimitLine(line)))
            kept.append(line);
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto own = markers.constFind(i);
        if (own != markers.cend()) {
            if (newFile && own->mark.newFile)
                *newFile = true;
            // Where nothing stands between them, the replaced line ends as the line under the marker did.
            if (own->mark.replaced)
                keep(*own->mark.replaced + lineBreakOf(lines[own->line == i + 1 ? i + 1 : i]));
        } else if (!written.contains(i)) {
            keep(lines[i]);
        }
    }
    return kept;
}

bool isHUDMarker(const QByteArray& line)
{
    return withoutLineBreak(line) == MangoHudOverlay::hudMarker;
}

// Where the HUD lines this application added start; -1 when they are not there.
qsizetype hudLinesAt(const QByteArrayList& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (withoutLineBreak(lines[i]) == MangoHudOverlay::hudLinesMarker)
            return i;
    }
    return -1;
}

// A marked game's file without what this application put in it: the line that marks the file
// (first where this application wrote it, anywhere once the user added lines above it), its
// frame-limit lines and its HUD lines; the rest is the user's.
QByteArrayList withoutOwnLines(QByteArrayList lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isHUDMarker(lines[i])) {
            lines.remove(i);
            break;
        }
    }
    lines = withoutLimitLines(lines, false);
    const qsizetype at = hudLinesAt(lines);
    if (at < 0)
        return lines;
    // Each HUD line written under the marker is the first line after the one before it that is
    // exactly that line; lines the user put between them stay.
    QList<qsizetype> own{at};
    for (const QByteArray& item : linesOf(kHUDItems)) {
        for (qsizetype i = own.last() + 1; i < lines.size(); ++i) {
            if (withoutLineBreak(lines[i]) == withoutLineBreak(item)) {
                own.append(i);
                break;
            }
        }
    }
    for (auto i = own.crbegin(); i != own.crend(); ++i)
        lines.remove(*i);
    return lines;
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

QString MangoHudOverlay::gamePath(const QString& name) const
{
    return m_options.configFolder + '/' + name;
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

void MangoHudOverlay::loadRecord()
{
    if (m_recordLoaded || m_options.recordFile.isEmpty())
        return;
    m_recordLoaded = true;
    const BoundedFile::Result file = LinkedFile::read(m_options.recordFile, kRecordBound);
    if (file.status == BoundedFile::Status::Missing)
        return;
    const QJsonDocument document = QJsonDocument::fromJson(file.contents);
    if (!file.read() || !document.isObject()) {
        AtomicFile::moveAside(m_options.recordFile);
        return;
    }
    const QJsonObject record = document.object();
    for (auto entry = record.begin(); entry != record.end(); ++entry) {
        for (const QJsonValue& hash : entry.value().toArray())
            m_written[entry.key()].insert(hash.toString().toLatin1());
    }
}

bool MangoHudOverlay::saveRecord(bool makeFolder)
{
    if (m_options.recordFile.isEmpty())
        return true;
    // A record the user keeps as a link stays one, emptied.
    if (m_written.isEmpty() && !LinkedFile::ownFile(m_options.recordFile))
        return !occupied(m_options.recordFile) || QFile::remove(m_options.recordFile);
    QJsonObject record;
    for (auto entry = m_written.cbegin(); entry != m_written.cend(); ++entry) {
        // In order, so that the same record is always the same bytes.
        QByteArrayList sorted = entry.value().values();
        std::sort(sorted.begin(), sorted.end());
        QJsonArray hashes;
        for (const QByteArray& hash : sorted)
            hashes.append(QString::fromLatin1(hash));
        record.insert(entry.key(), hashes);
    }
    const QByteArray bytes = QJsonDocument(record).toJson(QJsonDocument::Compact);
    // Not written again unchanged: a record the user keeps as a link would be replaced at every
    // start and quit.
    if (holds(m_options.recordFile, bytes))
        return true;
    if (makeFolder && !AtomicFile::makeMissingFolders(QFileInfo(m_options.recordFile).path()))
        return false;
    return AtomicFile::writePrivate(m_options.recordFile, bytes);
}

void MangoHudOverlay::takeBackAll()
{
    loadRecord();
    // The games' files go first, so that taking the limit back has none of them to bring along.
    // Only a file with lines of ours that could not be taken back stays in the record.
    QHash<QString, QSet<QByteArray>> left;
    const QDir folder(m_options.configFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*.conf")}, QDir::Files)) {
        if (name == globalFileName || name == kPresetsFileName)
            continue;
        const GameFile file = gameFileAt(name);
        const QSet<QByteArray> hashes = m_written.value(name);
        if (!takeBackGameFile(name, file) && file.kind != GameFile::Kind::Users)
            left.insert(name, hashes);
    }
    m_written = left;
    saveRecord(false);
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
    return limitInFile();
}

std::optional<qint64> MangoHudOverlay::limitInFile() const
{
    const auto lines = readLines(globalPath(), globalFileBound);
    return lines ? limitIn(*lines) : std::nullopt;
}

GameOverlay::Change MangoHudOverlay::writeFrameLimit(qint64 limit)
{
    QMutexLocker lock(&m_mutex);
    recoverOnce();
    if (!installed())
        return {Change::Status::Unavailable, kLimitNeedsMangoHud};
    auto lines = readLines(globalPath(), globalFileBound);
    if (!lines)
        return {Change::Status::Failed, kFailedToSet};
    const QByteArrayList before = *lines;
    // A link to nothing counts as no file: what is written through it goes again with the limit.
    const bool absent = !QFileInfo::exists(globalPath());
    const QByteArray value = QByteArray::number(limit);
    const QByteArray setting = limitSetting(value);
    const QList<OwnLimit> own = ownLimits(*lines);
    qsizetype at = lastLimitLine(*lines);
    const auto ours =
        std::find_if(own.cbegin(), own.cend(), [at](const OwnLimit& o) { return o.line >= 0 && o.line == at; });
    if (ours != own.cend()) {
        LimitMark mark = ours->mark;
        mark.limit = value;
        (*lines)[ours->marker] = markerLine(mark, lineBreakOf((*lines)[ours->marker]));
        (*lines)[at] = setting + lineBreakOf((*lines)[at]);
    } else {
        // The limit in force is the user's: whatever of ours is left goes first, so that one marker
        // stands over the one line that counts.
        bool newFile = absent;
        *lines = withoutLimitLines(*lines, false, &newFile);
        at = lastLimitLine(*lines);
        LimitMark mark{value, false, std::nullopt};
        if (at < 0) {
            // At the top, so that a file without a final line break keeps its last line as it is;
            // in the line breaks the file starts with.
            const QByteArray lineBreak = lines->isEmpty() || lineBreakOf(lines->first()).isEmpty()
                                             ? QByteArrayLiteral("\n")
                                             : lineBreakOf(lines->first());
            mark.newFile = newFile;
            lines->prepend(setting + lineBreak);
            lines->prepend(markerLine(mark, lineBreak));
        } else {
            const QByteArray replaced = (*lines)[at];
            mark.replaced = withoutLineBreak(replaced);
            (*lines)[at] = setting + lineBreakOf(replaced);
            lines->insert(at, markerLine(mark, lineBreakOf(replaced)));
        }
    }
    // A file grown past the bound it is read within could no longer have the limit taken back.
    const QByteArray bytes = joined(*lines);
    if (bytes.size() > globalFileBound)
        return {Change::Status::Failed, kFailedToSet};
    // A game whose file still holds the old limit keeps it, so that counts as a failure too; the
    // files go back to what they were at once.
    if (!save(globalPath(), bytes) || !syncGameFiles(*lines)) {
        if (absent)
            removeThrough(globalPath());
        else
            save(globalPath(), joined(before));
        syncGameFiles(before);
        removeFolderIfEmpty();
        return {Change::Status::Failed, kFailedToSet};
    }
    QStringList unaffected;
    for (const QString& name : gameFiles(false))
        unaffected.append(name.chopped(QStringLiteral(".conf").size()));
    return {Change::Status::Done, {}, unaffected, limitIn(*lines)};
}

GameOverlay::Change MangoHudOverlay::removeFrameLimit()
{
    QMutexLocker lock(&m_mutex);
    recoverOnce();
    if (!installed())
        return {Change::Status::Unavailable, kLimitNeedsMangoHud};
    if (!removeLimitLines(Removal::All))
        return {Change::Status::Failed, kFailedToRemove};
    return {Change::Status::Done, {}, {}, limitInFile()};
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
    const auto lines = readLines(globalPath(), globalFileBound);
    if (!lines)
        return false;
    // Removing the limit this application set brings back the user's own line it replaced, as
    // taking it back does; only a limit of the user's alone goes altogether.
    bool newFile = false;
    const QByteArrayList kept = withoutLimitLines(*lines, removal == Removal::All && !hasOwnLimit(*lines), &newFile);
    bool removed = true;
    if (kept != *lines) {
        removed = (newFile && kept.isEmpty() ? removeThrough(globalPath()) : save(globalPath(), joined(kept)))
                  && syncGameFiles(kept);
    }
    // A game's file the user edited no longer follows MangoHud.conf, but the limit lines of ours in
    // it would hold that game to the limit until the quit.
    const QDir folder(m_options.configFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*.conf")}, QDir::Files)) {
        if (name == globalFileName || name == kPresetsFileName)
            continue;
        const GameFile file = gameFileAt(name);
        if (file.kind != GameFile::Kind::Marked)
            continue;
        const QByteArrayList unlimited = withoutLimitLines(*file.lines, false);
        if (unlimited != *file.lines)
            removed = save(gamePath(name), joined(unlimited)) && removed;
    }
    return removed;
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

MangoHudOverlay::GameFile MangoHudOverlay::gameFileAt(const QString& name)
{
    loadRecord();
    const BoundedFile::Result file = LinkedFile::read(gamePath(name), gameFileBound);
    if (file.unusable())
        return {};
    GameFile game{GameFile::Kind::Users, linesOf(file.contents)};
    if (!file.read())
        return game;
    const auto recorded = m_written.constFind(name);
    if (recorded != m_written.cend() && recorded->contains(hashOf(file.contents)))
        game.kind = GameFile::Kind::Own;
    else if ((!game.lines->isEmpty() && isHUDMarker(game.lines->first()))
             || (recorded != m_written.cend() && withoutOwnLines(*game.lines) != *game.lines))
        game.kind = GameFile::Kind::Marked;
    return game;
}

QStringList MangoHudOverlay::gameFiles(bool own)
{
    QStringList found;
    const QDir folder(m_options.configFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*.conf")}, QDir::Files)) {
        if (name == globalFileName || name == kPresetsFileName)
            continue;
        if ((gameFileAt(name).kind == GameFile::Kind::Own) == own)
            found.append(name);
    }
    return found;
}

bool MangoHudOverlay::writeGameFile(const QString& name, const QByteArray& bytes)
{
    loadRecord();
    const QByteArray hash = hashOf(bytes);
    QSet<QByteArray>& hashes = m_written[name];
    const QSet<QByteArray> earlier = hashes;
    // Recorded before the file is written, so that a run ending between the two still knows it.
    hashes.insert(hash);
    if (!saveRecord(true)) {
        m_written[name] = earlier;
        if (earlier.isEmpty())
            m_written.remove(name);
        return false;
    }
    if (!save(gamePath(name), bytes))
        return false;
    m_written[name] = {hash};
    saveRecord(false);
    return true;
}

bool MangoHudOverlay::takeBackGameFile(const QString& name, const GameFile& file)
{
    switch (file.kind) {
    case GameFile::Kind::Own:
        if (!QFile::remove(gamePath(name)))
            return false;
        m_written.remove(name);
        saveRecord(false);
        return true;
    case GameFile::Kind::Marked: {
        const QByteArrayList kept = withoutOwnLines(*file.lines);
        if (kept != *file.lines && !save(gamePath(name), joined(kept)))
            return false;
        // Nothing of ours is left in it.
        if (m_written.remove(name))
            saveRecord(false);
        return true;
    }
    case GameFile::Kind::Users:
        break;
    }
    return true;
}

bool MangoHudOverlay::syncGameFiles(const QByteArrayList& globalLines)
{
    const QByteArray contents = gameFile(globalLines);
    bool synced = true;
    for (const QString& name : gameFiles(true)) {
        const auto lines = gameFileAt(name).lines;
        if (!lines || joined(*lines) != contents)
            synced = writeGameFile(name, contents) && synced;
    }
    return synced;
}

GameOverlay::HUDWrite MangoHudOverlay::writeHUD(const QString& bundleIdentifier, bool enabled)
{
    return writeHUDs({bundleIdentifier}, enabled).games.first();
}

GameOverlay::HUDWrites MangoHudOverlay::writeHUDs(const QStringList& bundleIdentifiers, bool enabled)
{
    // Switching off only removes files, which needs no MangoHud.
    if (enabled && !installed())
        return {QList<HUDWrite>(bundleIdentifiers.size(), HUDWrite::Failed)};
    const QHash<QString, QStringList> programs =
        m_options.programsOf ? m_options.programsOf(bundleIdentifiers) : QHash<QString, QStringList>();
    QMutexLocker lock(&m_mutex);
    recoverOnce();
    const auto global = readLines(globalPath(), globalFileBound);
    HUDWrites writes;
    for (const QString& bundleIdentifier : bundleIdentifiers)
        writes.games.append(writeGameFiles(programs.value(bundleIdentifier), enabled, global, writes.unaffectedPrograms));
    return writes;
}

GameOverlay::HUDWrite MangoHudOverlay::writeGameFiles(const QStringList& programs, bool enabled,
                                                      const std::optional<QByteArrayList>& global, QStringList& kept)
{
    bool any = false;
    bool ok = true;
    // Switching on: a program whose HUD is this application's, written now or before.
    bool shown = false;
    for (const QString& program : programs) {
        const QString fileName = program + QStringLiteral(".conf");
        if (program.isEmpty() || program.contains('/') || program.startsWith('.') || fileName == globalFileName
            || fileName == kPresetsFileName)
            continue;
        any = true;
        const GameFile file = gameFileAt(fileName);
        if (!file.lines) {
            ok = false;
            continue;
        }
        const bool absent = !occupied(gamePath(fileName));
        if (enabled) {
            // A file of the user's own for the game already decides what its HUD shows; one of ours
            // the user edited shows it as long as our HUD lines are still in it.
            if (absent || file.kind == GameFile::Kind::Own) {
                ok = global && writeGameFile(fileName, gameFile(*global)) && ok;
                shown = true;
            } else if (file.kind == GameFile::Kind::Marked && hudLinesAt(*file.lines) >= 0) {
                shown = true;
            } else if (!kept.contains(program)) {
                kept.append(program);
            }
        } else {
            ok = takeBackGameFile(fileName, file) && ok;
        }
    }
    if (enabled && !any)
        return HUDWrite::NoGame;
    if (!ok)
        return HUDWrite::Failed;
    return enabled && !shown ? HUDWrite::UsersOwn : HUDWrite::Done;
}

std::optional<QString> MangoHudOverlay::unavailableReason() const
{
    if (installed())
        return std::nullopt;
    return kHUDNeedsMangoHud;
}
