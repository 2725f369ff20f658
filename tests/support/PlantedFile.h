#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>
#include <sys/stat.h>

// Something other than a readable file of sensible size, planted where a program expects one: a
// named pipe (which a plain open would wait on for good), a link to /dev/zero (endless), a folder,
// or a sparse file ten times the reader's bound.
namespace PlantedFile {

enum class Kind { Pipe, LinkToZero, Folder, TenTimesTheBound };

} // namespace PlantedFile

Q_DECLARE_METATYPE(PlantedFile::Kind)

namespace PlantedFile {

inline bool plant(const QString& path, Kind kind, qint64 bound)
{
    QDir().mkpath(QFileInfo(path).path());
    switch (kind) {
    case Kind::Pipe:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case Kind::LinkToZero:
        return QFile::link("/dev/zero", path);
    case Kind::Folder:
        return QDir().mkdir(path);
    case Kind::TenTimesTheBound: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(10 * bound);
    }
    }
    return false;
}

// One row per kind, in a column "kind" of a data-driven test.
inline void addKindRows()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("named pipe") << Kind::Pipe;
    QTest::newRow("link to /dev/zero") << Kind::LinkToZero;
    QTest::newRow("folder") << Kind::Folder;
    QTest::newRow("ten times the bound") << Kind::TenTimesTheBound;
}

// What stands at the path, without following a link or opening it: its type, size and link target.
inline QString describe(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("nothing");
    return QString::number(status.st_mode, 8) + u' ' + QString::number(status.st_size) + u' '
           + QFileInfo(path).symLinkTarget();
}

// The names of the copies of the path set aside, in its folder.
inline QStringList asideCopies(const QString& path)
{
    const QFileInfo info(path);
    return QDir(info.path()).entryList({info.fileName() + QStringLiteral(".unreadable-*")},
                                       QDir::AllEntries | QDir::System | QDir::Hidden);
}

} // namespace PlantedFile

