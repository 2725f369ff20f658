#include "FakeDefaults.h"
#include "PrivateBus.h"
#include "TestMain.h"
#include "assistant/APIKeyStore.h"
#include "linux/DesktopEntryIndex.h"
#include "linux/JsonFileDefaults.h"
#include "linux/MangoHudOverlay.h"
#include "linux/SteamLibraries.h"
#include "storage/SecureLocalStore.h"
#include "storage/SettingsStore.h"
#include "tuning/GameProfileFile.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QProcess>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// How long a start may take to its first frame, and its quit after SIGTERM, before it counts as
// stopped for good; only a start that waits on something that never comes runs into it.
constexpr auto kPatience = 30s;
// The exit status of a start that could not be put in a network namespace of its own.
constexpr int kNoNamespace = 125;
// What the application says once its first frame is on screen, in the pattern set below.
const QByteArray kStarted = QByteArrayLiteral("Quillmarsh.Start: started");

// What stands where a stored file should be.
enum class Kind { Fifo, LinkToZero, Folder, NoAccess, TenTimesBound };

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Fifo:
        return QStringLiteral("FIFO");
    case Kind::LinkToZero:
        return QStringLiteral("link to /dev/zero");
    case Kind::Folder:
        return QStringLiteral("folder");
    case Kind::NoAccess:
        return QStringLiteral("mode 0000");
    case Kind::TenTimesBound:
        return QStringLiteral("10 x its bound");
    }
    return {};
}

QString secureFile(const QString& home, const QString& key)
{
    FakeDefaults unused;
    return SecureLocalStore(unused, home + "/.local/share/Quillmarsh/.secure").secureFileURL(key);
}

// A file the application reads from the home. Ours is set aside when it cannot serve; the user's
// is never changed.
struct Stored {
    QString name;
    std::function<QString(const QString& home)> path;
    bool ours;
    // Ours only: read on the way to the first frame (the others wait for the screen that needs them).
    bool readAtStart;
    qint64 bound;
    QByteArray contents;
};

const QList<Stored>& storedFiles()
{
    static const QList<Stored> files{
        {"settings", [](const QString& home) { return secureFile(home, SettingsStore::settingsKey); }, true,
         true, SecureLocalStore::maxValueSize, R"({"autoOptimize":false,"colorBlindMode":true})"},
        {"setup flag",
         [](const QString& home) { return secureFile(home, SecureLocalStore::setupCompleteKey); }, true, true,
         SecureLocalStore::maxValueSize, "true"},
        {"defaults.json (settings mirror, AI settings)",
         [](const QString& home) { return home + "/.config/Quillmarsh/defaults.json"; }, true, true,
         JsonFileDefaults::maxFileBytes, R"({"quillmarsh.aiConnect.settings.OpenAI":{"data":"e30="}})"},
        {"API key",
         [](const QString& home) {
             return APIKeyStore(home + "/.local/share/Quillmarsh/.ai", [] { return QString(); })
                 .fileURL(AIProvider::openAI);
         },
         true, false, APIKeyStore::maxFileBytes, QByteArray(300, 'k')},
        {"game_profiles.json",
         [](const QString& home) { return home + "/.local/share/Quillmarsh/game_profiles.json"; }, true, true,
         GameProfileFile::maxFileBytes, "[]"},
        {"mangohud_files.json",
         [](const QString& home) { return home + "/.local/share/Quillmarsh/mangohud_files.json"; }, true, true,
         1 << 20, "{}"},
        {"MangoHud.conf",
         [](const QString& home) { return home + "/.config/MangoHud/" + MangoHudOverlay::globalFileName; },
         false, false, MangoHudOverlay::globalFileBound, "fps_limit=75,144\nfps\n"},
        {"MangoHud game file", [](const QString& home) { return home + "/.config/MangoHud/hostile.conf"; },
         false, false, MangoHudOverlay::gameFileBound, "fps_limit=30\n"},
        {"desktop entry",
         [](const QString& home) { return home + "/.local/share/applications/hostile.desktop"; }, false,
         false, DesktopEntryIndex::maxEntryBytes, "[Desktop Entry]\nType=Application\nName=Hostile\nExec=/bin/true\n"},
        {"Steam manifest",
         [](const QString& home) { return home + "/.local/share/Steam/steamapps/appmanifest_4242.acf"; },
         false, false, SteamLibraries::maxFileBytes,
         "\"AppState\"\n{\n\t\"appid\"\t\t\"4242\"\n\t\"name\"\t\t\"Hostile\"\n}\n"},
    };
    return files;
}

const QList<Kind> kKinds{Kind::Fifo, Kind::LinkToZero, Kind::Folder, Kind::NoAccess, Kind::TenTimesBound};

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// Puts `kind` at the file's place. Mode 0000 keeps nothing from root: there the file is another
// user's as well, as a run with sudo leaves the user's own.
bool plant(const QString& path, const Stored& stored, Kind kind)
{
    const QByteArray native = QFile::encodeName(path);
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    switch (kind) {
    case Kind::Fifo:
        return ::mkfifo(native.constData(), 0600) == 0;
    case Kind::LinkToZero:
        return ::symlink("/dev/zero", native.constData()) == 0;
    case Kind::Folder:
        return ::mkdir(native.constData(), 0700) == 0 && writeFile(path + "/kept", stored.contents);
    case Kind::NoAccess:
        return writeFile(path, stored.contents) &&
               (::geteuid() != 0 || ::chown(native.constData(), 65534, 65534) == 0) &&
               ::chmod(native.constData(), 0) == 0;
    case Kind::TenTimesBound: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(10 * stored.bound);
    }
    }
    return false;
}

// Everything a change to an entry would change: type, mode, owner, inode, size, times, a link's
// target, and what a folder holds.
QString identity(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("nothing");
    QString text = QStringLiteral("mode %1 owner %2 inode %3 size %4 modified %5.%6 changed %7.%8")
                       .arg(status.st_mode, 0, 8)
                       .arg(status.st_uid)
                       .arg(status.st_ino)
                       .arg(status.st_size)
                       .arg(status.st_mtim.tv_sec)
                       .arg(status.st_mtim.tv_nsec)
                       .arg(status.st_ctim.tv_sec)
                       .arg(status.st_ctim.tv_nsec);
    if (S_ISLNK(status.st_mode))
        text += " -> " + QFile::symLinkTarget(path);
    if (S_ISDIR(status.st_mode))
        text += " holding " + identity(path + "/kept");
    return text;
}

// What has been set aside anywhere in the home, relative to it.
QStringList setAside(const QString& home)
{
    QStringList found;
    QDirIterator it(home, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().contains(QLatin1String(".unreadable-")))
            found.append(QDir(home).relativeFilePath(path));
    }
    found.sort();
    return found;
}

// Runs between fork and exec, so only system calls on what was made before the fork: a network
// namespace whose only interface is a loopback that is down, so that nothing the application
// sends (its latency probe's pings included) leaves the machine. Without root, a user namespace
// in which this user stays who they are, and so keeps no privilege over files. And a bound on the
// address space, so that a reader that never stops (on /dev/zero) costs the machine no more.
struct ChildSetup {
    static constexpr rlim_t kAddressSpace = rlim_t(2) << 30;
    bool asRoot = ::geteuid() == 0;
    QByteArray uidMap = QByteArray::number(::geteuid()) + ' ' + QByteArray::number(::geteuid()) + " 1";
    QByteArray gidMap = QByteArray::number(::getegid()) + ' ' + QByteArray::number(::getegid()) + " 1";

    static bool writeWhole(const char* path, const QByteArray& text)
    {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        const bool written =
            fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == ssize_t(text.size());
        if (fd >= 0)
            ::close(fd);
        return written;
    }

    void operator()() const
    {
        const bool inside = asRoot ? ::unshare(CLONE_NEWNET) == 0
                                   : ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0 &&
                                         writeWhole("/proc/self/setgroups", "deny") &&
                                         writeWhole("/proc/self/uid_map", uidMap) &&
                                         writeWhole("/proc/self/gid_map", gidMap);
        const rlimit addressSpace{kAddressSpace, kAddressSpace};
        if (inside && ::setrlimit(RLIMIT_AS, &addressSpace) == 0)
            return;
        static const char said[] = "no network namespace (or no address-space bound) for the application\n";
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, said, sizeof said - 1);
        ::_exit(kNoNamespace);
    }
};

struct Start {
    bool framed = false;
    // Set when the start ended by itself or on SIGTERM.
    std::optional<int> exitCode;
    // How it ended, in words.
    QString ending;
    QByteArray output;
};

// One start of the application: to its first frame, then SIGTERM and its exit.
Start startOnce(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    const int patience = int(std::chrono::milliseconds(kPatience).count());
    QProcess app;
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.setChildProcessModifier(ChildSetup());
    app.start(program, arguments);
    Start start;
    if (!app.waitForStarted(patience)) {
        start.ending = "not started: " + app.errorString();
        return start;
    }
    const QDeadlineTimer frameDeadline(kPatience);
    while (!start.framed && app.state() == QProcess::Running && !frameDeadline.hasExpired()) {
        app.waitForReadyRead(int(std::min<qint64>(frameDeadline.remainingTime(), 250)));
        start.output += app.readAll();
        start.framed = start.output.contains(kStarted);
    }
    if (app.state() == QProcess::Running) {
        if (start.framed) {
            ::kill(pid_t(app.processId()), SIGTERM);
            app.waitForFinished(patience);
        }
        if (app.state() != QProcess::NotRunning) {
            start.ending = start.framed ? QStringLiteral("SIGTERM did not end it")
                                        : QStringLiteral("stopped before its first frame");
            app.kill();
            app.waitForFinished();
        }
    }
    if (start.ending.isEmpty() && app.exitStatus() == QProcess::CrashExit) {
        start.ending = QStringLiteral("killed by signal %1").arg(app.exitCode());
    } else if (start.ending.isEmpty()) {
        start.exitCode = app.exitCode();
        start.ending = QStringLiteral("exit status %1").arg(app.exitCode());
    }
    start.output += app.readAll();
    return start;
}

QString told(const Start& start)
{
    return start.ending + "; it said: " + QString::fromLocal8Bit(start.output.right(1500)).trimmed();
}

struct Run {
    QString home;
    QString entry; // relative to the home
    QString before;
    // A file of mode 0000 that this process may read all the same, as root may.
    bool readableAnyway = false;
    Start first;
    QStringList asideAfterFirst;
    QString afterFirst;
    Start next;
    QStringList asideAfterNext;
    QString afterNext;
    QString error;
};

} // namespace

Q_DECLARE_METATYPE(Kind)

// The application itself, started on a fresh home where one stored file is something no reader
// can take as that file: a FIFO, a link to a device, a folder, a file it may not read, one ten
// times the bound its reader holds to. Each start reaches its first frame and quits on SIGTERM
// with status 0; an entry of ours is set aside once, beside it, and the next start finds nothing
// more to set aside; an entry of the user's is left exactly as it was.
class TestHostileHome : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(QStringLiteral(QM_APPLICATION)).isExecutable(), QM_APPLICATION);
        QVERIFY2(m_system.isRunning() && m_session.isRunning(),
                 qPrintable(m_system.errorString() + m_session.errorString()));
        const Start probe = startOnce("/bin/sh", {"-c", "exit 0"}, QProcessEnvironment::systemEnvironment());
        if (probe.exitCode == kNoNamespace)
            QSKIP("The application is started only in a network namespace of its own, which this user may "
                  "not make");
    }

    void aStoredFileThatCannotServeNeverStopsAStart_data()
    {
        QTest::addColumn<int>("file");
        QTest::addColumn<Kind>("kind");
        for (int file = 0; file < storedFiles().size(); ++file) {
            for (const Kind kind : kKinds) {
                const QString row = storedFiles()[file].name + " as " + kindName(kind);
                QTest::newRow(qPrintable(row)) << file << kind;
            }
        }
    }

    void aStoredFileThatCannotServeNeverStopsAStart()
    {
        QFETCH(int, file);
        QFETCH(Kind, kind);
        if (m_runs.empty())
            runAll();
        const Stored& stored = storedFiles()[file];
        const Run& run = m_runs.at({file, kind});
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));

        QVERIFY2(run.first.framed, qPrintable("no first frame: " + told(run.first)));
        QVERIFY2(run.first.exitCode == 0, qPrintable("not ended by SIGTERM with 0: " + told(run.first)));
        if (stored.ours && stored.readAtStart) {
            const bool setAsideOnce = run.asideAfterFirst.size() == 1 &&
                                      run.asideAfterFirst.first().startsWith(run.entry + ".unreadable-");
            // What the application may read, it may keep using.
            const bool keptAsRead = run.readableAnyway && run.asideAfterFirst.isEmpty();
            QVERIFY2(setAsideOnce || keptAsRead,
                     qPrintable("set aside: [" + run.asideAfterFirst.join(", ") + "]"));
        } else {
            QVERIFY2(run.asideAfterFirst.isEmpty(),
                     qPrintable("set aside: " + run.asideAfterFirst.join(", ")));
            QCOMPARE(run.afterFirst, run.before);
        }

        QVERIFY2(run.next.framed, qPrintable("no first frame at the next start: " + told(run.next)));
        QVERIFY2(run.next.exitCode == 0,
                 qPrintable("the next start not ended by SIGTERM with 0: " + told(run.next)));
        QCOMPARE(run.asideAfterNext, run.asideAfterFirst);
        if (!stored.ours || !stored.readAtStart)
            QCOMPARE(run.afterNext, run.before);
    }

    // A stored folder that is a link into a folder of the user's: a start follows it, leaves that
    // folder's mode and the user's files as they were, and makes what it adds there private.
    void aLinkedFolderKeepsItsMode_data()
    {
        QTest::addColumn<QString>("folder"); // relative to the home
        QTest::newRow("data folder") << ".local/share/Quillmarsh";
        QTest::newRow("configuration folder") << ".config/Quillmarsh";
    }
    void aLinkedFolderKeepsItsMode()
    {
        QFETCH(QString, folder);
        const QString root = m_root.filePath("linked-" + QString(QTest::currentDataTag()).replace(' ', '-'));
        const QProcessEnvironment environment = environmentFor(root);
        const QString home = root + "/home";
        const QString sync = home + "/Sync";
        QVERIFY(QDir().mkpath(sync + "/photos") && QDir().mkpath(QFileInfo(home + "/" + folder).path()));
        QVERIFY(writeFile(sync + "/notes.txt", "the user's notes") &&
                writeFile(sync + "/photos/holiday.jpg", "jpeg"));
        QVERIFY(::chmod(QFile::encodeName(sync).constData(), 0775) == 0);
        QVERIFY(QFile::link(sync, home + "/" + folder));
        const QString notes = identity(sync + "/notes.txt");

        const Start start = startOnce(QStringLiteral(QM_APPLICATION), {}, environment);
        QVERIFY2(start.framed && start.exitCode == 0, qPrintable(told(start)));
        QCOMPARE(QFileInfo(home + "/" + folder).symLinkTarget(), sync);
        QCOMPARE(identity(sync + "/notes.txt"), notes);
        struct stat status {};
        QVERIFY(::stat(QFile::encodeName(sync).constData(), &status) == 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0775));
        QStringList made;
        QDirIterator it(sync, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = QDir(sync).relativeFilePath(path);
            if (name == "notes.txt" || name.startsWith("photos"))
                continue;
            QVERIFY(::lstat(QFile::encodeName(path).constData(), &status) == 0);
            if (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode))
                made.append(QStringLiteral("%1 %2").arg(name).arg(status.st_mode & 07777, 0, 8));
        }
        QVERIFY2(!made.isEmpty(), "the start wrote nothing into the folder");
        for (const QString& entry : made) {
            const bool isFolder = QFileInfo(sync + "/" + entry.section(' ', 0, 0)).isDir();
            QVERIFY2(entry.endsWith(isFolder ? " 700" : " 600"), qPrintable(made.join(", ")));
        }
    }

private:
    // Every row at once, a few starts at a time: each start is a process on a home of its own.
    void runAll()
    {
        QList<std::pair<int, Kind>> rows;
        for (int file = 0; file < storedFiles().size(); ++file) {
            for (const Kind kind : kKinds)
                rows.append({file, kind});
        }
        QThreadPool pool;
        pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
        QList<QFuture<Run>> runs;
        for (const std::pair<int, Kind>& row : rows) {
            const QString root = m_root.filePath(QString("%1-%2").arg(row.first).arg(int(row.second)));
            runs.append(QtConcurrent::run(
                &pool, [this, root, row] { return runRow(root, storedFiles()[row.first], row.second); }));
        }
        for (qsizetype i = 0; i < rows.size(); ++i)
            m_runs.emplace(rows[i], runs[i].result());
    }

    // A home under `root` for one start, with the buses of this test and loopback only.
    QProcessEnvironment environmentFor(const QString& root) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable :
             {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "QT_SCALE_FACTOR"})
            environment.remove(variable);
        for (const auto& [variable, sub] : {std::pair{"HOME", "/home"},
                                            {"XDG_CONFIG_HOME", "/home/.config"},
                                            {"XDG_DATA_HOME", "/home/.local/share"},
                                            {"XDG_CACHE_HOME", "/home/.cache"},
                                            {"XDG_STATE_HOME", "/home/.local/state"},
                                            {"TMPDIR", "/tmp"},
                                            {"XDG_RUNTIME_DIR", "/runtime"}}) {
            QDir().mkpath(root + sub);
            environment.insert(variable, root + sub);
        }
        ::chmod(QFile::encodeName(root + "/runtime").constData(), 0700);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_LOGGING_RULES", "Quillmarsh.Start.info=true");
        environment.insert("QT_MESSAGE_PATTERN", "%{category}: %{message}");
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", m_system.address());
        environment.insert("DBUS_SESSION_BUS_ADDRESS", m_session.address());
        environment.insert("LC_ALL", "C");
        return environment;
    }

    Run runRow(const QString& root, const Stored& stored, Kind kind) const
    {
        Run run;
        run.home = root + "/home";
        const QProcessEnvironment environment = environmentFor(root);

        // A home whose welcome is done, as the folders of a run before left it.
        for (const char* folder : {"/.local/share/Quillmarsh", "/.local/share/Quillmarsh/.secure",
                                   "/.local/share/Quillmarsh/.ai", "/.config/Quillmarsh"}) {
            QDir().mkpath(run.home + folder);
            ::chmod(QFile::encodeName(run.home + folder).constData(), 0700);
        }
        const QString path = stored.path(run.home);
        const QString setupFlag = secureFile(run.home, SecureLocalStore::setupCompleteKey);
        if (path != setupFlag && !writeFile(setupFlag, "true")) {
            run.error = "could not write " + setupFlag;
            return run;
        }
        if (!plant(path, stored, kind)) {
            run.error = "could not make the " + kindName(kind) + " at " + path;
            return run;
        }
        run.entry = QDir(run.home).relativeFilePath(path);
        run.before = identity(path);
        run.readableAnyway =
            kind == Kind::NoAccess && ::access(QFile::encodeName(path).constData(), R_OK) == 0;

        run.first = startOnce(QStringLiteral(QM_APPLICATION), {}, environment);
        run.asideAfterFirst = setAside(run.home);
        run.afterFirst = identity(path);
        if (run.first.exitCode != 0)
            return run;
        run.next = startOnce(QStringLiteral(QM_APPLICATION), {}, environment);
        run.asideAfterNext = setAside(run.home);
        run.afterNext = identity(path);
        return run;
    }

    QTemporaryDir m_root;
    PrivateBus m_system;
    PrivateBus m_session;
    std::map<std::pair<int, Kind>, Run> m_runs;
};

QM_TEST_MAIN(TestHostileHome)
#include "tst_HostileHome.moc"
