#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

// The desktop entries (*.desktop files) of the installed applications, by the executable they start.
// An entry whose program is an interpreter or a launcher that many applications share (a shell,
// python3, java, flatpak, wine, ...) is not found by that program: its processes run someone else's
// code, and the entry's name would stick to every one of them. Built once, by the first lookup by
// executable, so that creating it costs its creator nothing; lookups may come from any thread.
class DesktopEntryIndex {
public:
    struct Entry {
        // The desktop-file id: the path below the applications folder, '/' turned into '-',
        // without ".desktop".
        QString id;
        QString name;
    };

    // One application entry as the folders list it.
    struct Application {
        Entry entry;
        // The program it starts, resolved as far as the search path allows; "" when it names none.
        QString executable;
        // The program is an interpreter or shared launcher, not the application's own.
        bool shared = false;
        // The command line as the entry has it.
        QString command;
    };

    // A desktop file holds a few kilobytes, translations included; a larger one is skipped, as is
    // one that is not a regular file (a pipe, a device): such files are the user's and are left as
    // they are.
    static constexpr qint64 maxEntryBytes = 1024 * 1024;

    // Folders are searched in the order given; the first entry of an id wins, as the
    // freedesktop rules have it.
    explicit DesktopEntryIndex(QStringList applicationFolders);

    // The applications folders of this user and system.
    static QStringList standardFolders();

    std::optional<Entry> forExecutable(const QString& executable) const;
    // Every application entry, the first of each id only, in folder order. Reads the folders anew.
    QList<Application> applications() const;
    // True for the file name of an interpreter or shared launcher.
    static bool isSharedProgram(const QString& fileName);
    // Reads one desktop file; its id is taken relative to the folder that holds it, when that is
    // one of ours, else from its file name.
    std::optional<Entry> forFile(const QString& path) const;

private:
    struct Parsed {
        QString name;
        QString executable;
        bool shared = false;
        QString command;
    };
    static std::optional<Parsed> parse(const QString& path);
    static void resolveExecutable(const QString& exec, Parsed& parsed);
    QString idOf(const QString& path) const;
    void build() const;

    QStringList m_folders;
    mutable std::once_flag m_built;
    mutable QHash<QString, Entry> m_byExecutable;
};
