#include "TestMain.h"
#include "linux/LinuxTrash.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Mounts made by this process are seen by no one else: set up by main() before any thread starts.
bool g_privateMounts = false;

const QDateTime kDeleted = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
// kDeleted in the time zone main() sets, three hours east of UTC.
const QByteArray kDeletedLocally = "2027-01-15T11:00:00";

bool writeText(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return written;
}

// As root a mount namespace of its own; otherwise a user namespace, with the same user and group
// ids, that owns one.
bool enterPrivateMounts()
{
    const QByteArray user = QByteArray::number(::geteuid());
    const QByteArray group = QByteArray::number(::getegid());
    if (::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        if (!writeText("/proc/self/setgroups", "deny") || !writeText("/proc/self/uid_map", user + ' ' + user + " 1")
            || !writeText("/proc/self/gid_map", group + ' ' + group + " 1"))
            return false;
    }
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QStringList entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

int posixMode(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QByteArray info(const QByteArray& location)
{
    return "[Trash Info]\nPath=" + location + "\nDeletionDate=" + kDeletedLocally + '\n';
}

QString utf8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

// Root, and a process in a user namespace of its own, pass every file-mode check through the
// capabilities that override them. They leave the effective set of the calling thread while the
// guard lives.
class ModesBindThisThread {
public:
    ModesBindThisThread()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_reduced = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~ModesBindThisThread()
    {
        if (m_reduced)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    ModesBindThisThread(const ModesBindThisThread&) = delete;
    ModesBindThisThread& operator=(const ModesBindThisThread&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_reduced = false;
};

// A scratch folder with a data folder for the home Trash and a home folder for the items.
class Rig {
public:
    Rig() { QDir().mkpath(home()); }
    ~Rig()
    {
        for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it)
            ::umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
        for (const QString& folder : m_locked)
            ::chmod(QFile::encodeName(folder).constData(), 0700);
    }

    QString at(const QString& relative) const { return m_root.path() + '/' + relative; }
    QString home() const { return at("home"); }
    QString homeTrash() const { return at("data/Trash"); }

    QString file(const QString& relative, const QByteArray& text = "contents")
    {
        const QString path = at(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("could not write %s", qPrintable(path));
        return path;
    }

    bool moveToTrash(const QString& path, const QString& mountTable = QStringLiteral("/proc/self/mountinfo"))
    {
        LinuxTrash trash({at("data"), ::geteuid(), mountTable, [] { return kDeleted; }});
        const ModesBindThisThread modesBind;
        return trash.moveToTrash(path);
    }

    bool mountTmpfs(const QString& relative)
    {
        const QString folder = at(relative);
        QDir().mkpath(folder);
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
            return false;
        m_mounts.append(folder);
        return true;
    }

    // Binds root too: moveToTrash() runs without the capabilities that override file modes.
    bool makeReadOnly(const QString& relative)
    {
        if (::chmod(QFile::encodeName(at(relative)).constData(), 0500) != 0)
            return false;
        m_locked.append(at(relative));
        return true;
    }

private:
    QTemporaryDir m_root;
    QStringList m_mounts;
    QStringList m_locked;
};

} // namespace

class TestLinuxTrash : public QObject {
    Q_OBJECT
private slots:
    // The name in the Trash keeps the item's own name while it and its info file's name both fit
    // in a file name (255 bytes), and is cut from the end of the stem, whole characters only, when
    // they would not. The info file says where the item was, percent-encoded.
    void namesOfEveryLength_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("inTrash");
        QTest::addColumn<QByteArray>("encodedName");
        const QByteArray c241 = QByteArray(241, 'c');
        QTest::newRow("1 byte") << QByteArray("a") << QByteArray("a") << QByteArray("a");
        QTest::newRow("200 bytes") << QByteArray(196, 'c') + ".log" << QByteArray(196, 'c') + ".log"
                                   << QByteArray(196, 'c') + ".log";
        QTest::newRow("245 bytes, the longest that fits") << c241 + ".tmp" << c241 + ".tmp" << c241 + ".tmp";
        QTest::newRow("250 bytes") << QByteArray(246, 'c') + ".tmp" << c241 + ".tmp" << QByteArray(246, 'c') + ".tmp";
        QTest::newRow("255 bytes") << QByteArray(251, 'c') + ".bin" << c241 + ".bin" << QByteArray(251, 'c') + ".bin";
        QTest::newRow("255 bytes without an extension") << QByteArray(255, 'x') << QByteArray(245, 'x')
                                                        << QByteArray(255, 'x');
        QTest::newRow("a last dot too far from the end to start an extension")
            << "a." + QByteArray(253, 'b') << "a." + QByteArray(243, 'b') << "a." + QByteArray(253, 'b');
        QTest::newRow("252 bytes of two-byte letters, cut between letters")
            << QByteArray("\xc3\xa9").repeated(124) + ".bin" << QByteArray("\xc3\xa9").repeated(120) + ".bin"
            << QByteArray("%C3%A9").repeated(124) + ".bin";
        QTest::newRow("spaces, percent and a hash") << QByteArray("50% of #1 cache.bin")
                                                    << QByteArray("50% of #1 cache.bin")
                                                    << QByteArray("50%25%20of%20%231%20cache.bin");
    }
    void namesOfEveryLength()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, inTrash);
        QFETCH(QByteArray, encodedName);
        Rig rig;
        const QString item = rig.file("home/Spiele & Co/\xc3\xbc/" + utf8(name), "the item");
        const QString sibling = rig.file("home/Spiele & Co/\xc3\xbc/sibling", "stays");

        QVERIFY(rig.moveToTrash(item));
        QVERIFY(!QFileInfo::exists(item));
        QCOMPARE(contents(sibling), QByteArray("stays"));
        QCOMPARE(entries(rig.homeTrash()), (QStringList{"files", "info"}));
        QCOMPARE(entries(rig.homeTrash() + "/files"), QStringList{utf8(inTrash)});
        QCOMPARE(contents(rig.homeTrash() + "/files/" + utf8(inTrash)), QByteArray("the item"));
        QCOMPARE(entries(rig.homeTrash() + "/info"), QStringList{utf8(inTrash + ".trashinfo")});
        const QByteArray folder = QFile::encodeName(rig.home()).toPercentEncoding("/");
        QCOMPARE(contents(rig.homeTrash() + "/info/" + utf8(inTrash) + ".trashinfo"),
                 info(folder + "/Spiele%20%26%20Co/%C3%BC/" + encodedName));
        for (const QString& folderOfTrash : {rig.homeTrash(), rig.homeTrash() + "/files", rig.homeTrash() + "/info"})
            QCOMPARE(posixMode(folderOfTrash), 0700);
        QCOMPARE(posixMode(rig.homeTrash() + "/info/" + utf8(inTrash) + ".trashinfo"), 0600);
    }

    // A name another item holds, by its info file or by an entry in files/, is never reused: the
    // next free one is; the entries already there stay as they were.
    void takenNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArrayList>("takenInfo");
        QTest::addColumn<QByteArrayList>("takenFiles");
        QTest::addColumn<QByteArray>("inTrash"); // empty: the item stays
        QTest::newRow("info file taken") << QByteArray("x.txt") << QByteArrayList{"x.txt"} << QByteArrayList{}
                                         << QByteArray("x.2.txt");
        QTest::newRow("entry without its info file") << QByteArray("x.txt") << QByteArrayList{}
                                                     << QByteArrayList{"x.txt"} << QByteArray("x.2.txt");
        QTest::newRow("both taken, and the second name") << QByteArray("x.txt") << QByteArrayList{"x.txt", "x.2.txt"}
                                                         << QByteArrayList{"x.txt"} << QByteArray("x.3.txt");
        QTest::newRow("shortened name taken") << QByteArray(251, 'c') + ".bin" << QByteArrayList{QByteArray(241, 'c') + ".bin"}
                                              << QByteArrayList{} << QByteArray(239, 'c') + ".2.bin";
        QByteArrayList all{"x"};
        for (int n = 2; n <= LinuxTrash::kMaxNameAttempts; ++n)
            all.append("x." + QByteArray::number(n));
        QTest::newRow("every name the search may try") << QByteArray("x") << all << QByteArrayList{} << QByteArray();
    }
    void takenNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArrayList, takenInfo);
        QFETCH(QByteArrayList, takenFiles);
        QFETCH(QByteArray, inTrash);
        Rig rig;
        const QString item = rig.file("home/" + utf8(name), "new");
        for (const QByteArray& taken : takenInfo)
            rig.file("data/Trash/info/" + utf8(taken) + ".trashinfo", "old info");
        for (const QByteArray& taken : takenFiles)
            rig.file("data/Trash/files/" + utf8(taken), "old item");
        const QStringList infoBefore = entries(rig.homeTrash() + "/info");
        const QStringList filesBefore = entries(rig.homeTrash() + "/files");

        QCOMPARE(rig.moveToTrash(item), !inTrash.isEmpty());
        QCOMPARE(QFileInfo::exists(item), inTrash.isEmpty());
        QStringList infoAfter = infoBefore;
        QStringList filesAfter = filesBefore;
        if (!inTrash.isEmpty()) {
            infoAfter.append(utf8(inTrash) + ".trashinfo");
            filesAfter.append(utf8(inTrash));
            QCOMPARE(contents(rig.homeTrash() + "/files/" + utf8(inTrash)), QByteArray("new"));
            QVERIFY(contents(rig.homeTrash() + "/info/" + utf8(inTrash) + ".trashinfo").startsWith("[Trash Info]\n"));
        }
        infoAfter.sort();
        filesAfter.sort();
        QCOMPARE(entries(rig.homeTrash() + "/info"), infoAfter);
        QCOMPARE(entries(rig.homeTrash() + "/files"), filesAfter);
        for (const QString& old : filesBefore)
            QCOMPARE(contents(rig.homeTrash() + "/files/" + old), QByteArray("old item"));
        for (const QString& old : infoBefore)
            QCOMPARE(contents(rig.homeTrash() + "/info/" + old), QByteArray("old info"));
    }

    // A Trash that cannot take the item leaves it where it was and keeps no info file for it.
    void unusableTrash_data()
    {
        QTest::addColumn<QString>("readOnly");
        QTest::addColumn<QString>("blocker"); // a plain file standing where a folder of the Trash belongs
        QTest::newRow("read-only info folder") << "data/Trash/info" << "";
        QTest::newRow("read-only files folder: the info file written first goes again") << "data/Trash/files" << "";
        QTest::newRow("read-only empty Trash") << "data/Trash" << "";
        QTest::newRow("a file instead of the files folder") << "" << "data/Trash/files";
        QTest::newRow("a file instead of the Trash") << "" << "data/Trash";
    }
    void unusableTrash()
    {
        QFETCH(QString, readOnly);
        QFETCH(QString, blocker);
        Rig rig;
        const QString item = rig.file("home/cache.bin", "stays");
        QVERIFY(QDir().mkpath(rig.homeTrash()));
        if (!blocker.isEmpty())
            QVERIFY(QDir(rig.homeTrash()).removeRecursively() && !rig.file(blocker, "blocker").isEmpty());
        else if (readOnly != "data/Trash")
            QVERIFY(QDir().mkpath(rig.homeTrash() + "/files") && QDir().mkpath(rig.homeTrash() + "/info"));
        if (!readOnly.isEmpty())
            QVERIFY(rig.makeReadOnly(readOnly));
        const QStringList before = entries(rig.homeTrash() + "/info");

        QVERIFY(!rig.moveToTrash(item));
        QCOMPARE(contents(item), QByteArray("stays"));
        QCOMPARE(entries(rig.homeTrash() + "/info"), before);
        QVERIFY(entries(rig.homeTrash() + "/files").isEmpty());
        if (!blocker.isEmpty())
            QCOMPARE(contents(rig.at(blocker)), QByteArray("blocker"));
    }

    // An item on another mount than the home Trash goes to the Trash at the top of its own mount,
    // its info file naming it relative to that top. The mount is a real second file system where
    // this process has mounts of its own, and a mount table that says so everywhere.
    void otherMount_data()
    {
        QTest::addColumn<bool>("realMount");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("trash"); // relative to the top of the mount; empty: the item stays
        const QString own = ".Trash-" + QString::number(::geteuid());
        const QString shared = ".Trash/" + QString::number(::geteuid());
        for (const bool real : {false, true}) {
            const char* kind = real ? "second file system: " : "mount table: ";
            QTest::addRow("%sno shared Trash", kind) << real << "" << own;
            QTest::addRow("%sa shared Trash with the sticky bit", kind) << real << "sticky" << shared;
            QTest::addRow("%sa shared Trash without the sticky bit", kind) << real << "not sticky" << own;
            QTest::addRow("%sa shared Trash that is a link", kind) << real << "linked" << own;
            QTest::addRow("%sthe user's Trash there is a link", kind) << real << "own linked" << "";
        }
    }
    void otherMount()
    {
        QFETCH(bool, realMount);
        QFETCH(QString, layout);
        QFETCH(QString, trash);
        Rig rig;
        QString table = "/proc/self/mountinfo";
        if (realMount) {
            if (!g_privateMounts || !rig.mountTmpfs("other mount"))
                QSKIP("This process cannot mount a file system of its own here.");
        } else {
            // The folder's name as the kernel writes it, its space escaped.
            table = rig.file("mountinfo", "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                                          "96 22 0:41 / " + QFile::encodeName(rig.at("other")) + "\\040mount rw - tmpfs tmpfs rw\n");
        }
        const QString top = rig.at("other mount");
        const QString item = rig.file("other mount/games/cache file.bin", "moves");
        const QString sibling = rig.file("other mount/games/keep.bin", "stays");
        const QString elsewhere = rig.at("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        const QByteArray uid = QByteArray::number(::geteuid());
        if (layout == "sticky" || layout == "not sticky") {
            QVERIFY(QDir().mkpath(top + "/.Trash"));
            QCOMPARE(::chmod(QFile::encodeName(top + "/.Trash").constData(), layout == "sticky" ? 01777 : 0777), 0);
        } else if (layout == "linked") {
            QCOMPARE(::chmod(QFile::encodeName(elsewhere).constData(), 01777), 0);
            QVERIFY(QFile::link(elsewhere, top + "/.Trash"));
        } else if (layout == "own linked") {
            QVERIFY(QFile::link(elsewhere, top + "/.Trash-" + uid));
        }

        QCOMPARE(rig.moveToTrash(item, table), !trash.isEmpty());
        QCOMPARE(contents(sibling), QByteArray("stays"));
        QVERIFY(!QFileInfo::exists(rig.homeTrash()));
        QVERIFY(entries(elsewhere).isEmpty());
        if (trash.isEmpty()) {
            QCOMPARE(contents(item), QByteArray("moves"));
            return;
        }
        QVERIFY(!QFileInfo::exists(item));
        QCOMPARE(entries(top + '/' + trash), (QStringList{"files", "info"}));
        QCOMPARE(contents(top + '/' + trash + "/files/cache file.bin"), QByteArray("moves"));
        QCOMPARE(contents(top + '/' + trash + "/info/cache file.bin.trashinfo"), info("games/cache%20file.bin"));
        QCOMPARE(posixMode(top + '/' + trash), 0700);
        if (layout == "not sticky")
            QVERIFY(entries(top + "/.Trash").isEmpty());
    }
};

int main(int argc, char* argv[])
{
    TestEnvironment environment;
    qputenv("TZ", "QMT-3");
    ::tzset();
    g_privateMounts = enterPrivateMounts();
    QApplication app(argc, argv);
    TestLinuxTrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_LinuxTrash.moc"
