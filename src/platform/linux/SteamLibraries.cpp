#include "SteamLibraries.h"

#include "BoundedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

// Steam's own files are left as they are: one that is not a regular file or is above the bound is
// skipped like a missing one.
std::optional<QByteArray> readFile(const QString& path)
{
    BoundedFile::Result file = BoundedFile::read(path, SteamLibraries::maxFileBytes);
    if (!file.read())
        return std::nullopt;
    return std::move(file.contents);
}

// A quoted string from just after its opening quote; `at` ends after the closing one.
QString quoted(const QByteArray& text, qsizetype& at)
{
    QByteArray value;
    while (at < text.size() && text[at] != '"') {
        if (text[at] == '\\' && at + 1 < text.size()) {
            const char escaped = text[++at];
            value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
        } else {
            value += text[at];
        }
        ++at;
    }
    ++at;
    return QString::fromUtf8(value);
}

QString canonical(const QString& path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

// The folders of the libraries an installation lists, itself first.
QStringList librariesOf(const QString& root)
{
    QStringList libraries{root};
    const auto listing = readFile(root + QStringLiteral("/steamapps/libraryfolders.vdf"));
    if (!listing)
        return libraries;
    for (const SteamLibraries::Pair& pair : SteamLibraries::readPairs(*listing)) {
        // Today's files name each library's "path" in a block of its own; older ones gave the
        // folder as the value of a numbered key.
        bool numbered = false;
        pair.key.toUInt(&numbered);
        if ((pair.depth == 2 && pair.key == QLatin1String("path")) || (pair.depth == 1 && numbered))
            libraries.append(pair.value);
    }
    return libraries;
}

} // namespace

QStringList SteamLibraries::standardRoots(const QString& home)
{
    return {home + QStringLiteral("/.steam/steam"), home + QStringLiteral("/.local/share/Steam")};
}

QList<SteamLibraries::Pair> SteamLibraries::readPairs(const QByteArray& text)
{
    QList<Pair> pairs;
    std::optional<QString> key;
    int depth = 0;
    for (qsizetype at = 0; at < text.size();) {
        const char c = text[at];
        if (QChar::isSpace(uchar(c))) {
            ++at;
        } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '/') {
            const qsizetype lineBreak = text.indexOf('\n', at);
            at = lineBreak < 0 ? text.size() : lineBreak;
        } else if (c == '{' || c == '}') {
            depth = std::max(0, depth + (c == '{' ? 1 : -1));
            key.reset();
            ++at;
        } else {
            QString token;
            if (c == '"') {
                ++at;
                token = quoted(text, at);
            } else {
                const qsizetype start = at;
                while (at < text.size() && !QChar::isSpace(uchar(text[at])) && text[at] != '"' && text[at] != '{'
                       && text[at] != '}')
                    ++at;
                token = QString::fromUtf8(text.mid(start, at - start));
            }
            if (!key) {
                key = token;
            } else {
                pairs.append({depth, *key, token});
                key.reset();
            }
        }
    }
    return pairs;
}

QList<SteamLibraries::Game> SteamLibraries::games(const QStringList& roots)
{
    QList<Game> found;
    QSet<QString> seenLibraries;
    QSet<QString> seenIds;
    for (const QString& root : roots) {
        if (!QFileInfo(root).isDir())
            continue;
        for (const QString& library : librariesOf(root)) {
            const QString folder = canonical(library);
            if (seenLibraries.contains(folder))
                continue;
            seenLibraries.insert(folder);
            const QDir steamapps(folder + QStringLiteral("/steamapps"));
            for (const QString& name : steamapps.entryList({QStringLiteral("appmanifest_*.acf")}, QDir::Files, QDir::Name)) {
                const auto manifest = readFile(steamapps.filePath(name));
                if (!manifest)
                    continue;
                Game game;
                for (const Pair& pair : readPairs(*manifest)) {
                    if (pair.depth == 1 && pair.key.compare(QLatin1String("appid"), Qt::CaseInsensitive) == 0)
                        game.appId = pair.value;
                    else if (pair.depth == 1 && pair.key.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0)
                        game.name = pair.value;
                }
                if (game.appId.isEmpty() || game.name.isEmpty() || seenIds.contains(game.appId))
                    continue;
                seenIds.insert(game.appId);
                found.append(game);
            }
        }
    }
    return found;
}
