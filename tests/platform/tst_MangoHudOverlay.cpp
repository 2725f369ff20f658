#include "FileSizeLimit.h"
#include "TestMain.h"
#include "linux/MangoHudOverlay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <sys/stat.h>
#include <sys/types.h>

namespace {

// A user's MangoHud.conf as people keep it: comments, options with and without values, blank
// lines, and no line break after the last line.
const QByteArray kUserFile = "### my settings\n"
                             "gpu_stats\n"
                             "# fps_limit=30\n"
                             "\n"
                             "position=top-right\r\n"
                             "font_size=20";
// The same with CRLF line ends throughout and a limit of the user's own.
const QByteArray kCrlfUserFile = "### my settings\r\n"
                                 "gpu_stats\r\n"
                                 "# fps_limit=30\r\n"
                                 "\r\n"
                                 "fps_limit=75,144\r\n"
                                 "font_size=20";
const QByteArray kMarker = MangoHudOverlay::limitMarker;
// Our marker over a limit line of `limit`, with "(new file)", "(was: <line>)" or nothing after it.
QByteArray marker(const QByteArray& limit, const QByteArray& note = {})
{
    return kMarker + " to " + limit + (note.isEmpty() ? QByteArray() : ' ' + note);
}
// What Files::contents() gives for a file that is not there.
const QByteArray kAbsent = "(no file)";

// MangoHud files in a scratch folder, and an overlay over them.
struct Files {
    QTemporaryDir dir;
    std::atomic<bool> installed = true;
    QMap<QString, QStringList> programs;
    // How often the installed applications were looked through.
    int lookups = 0;
    // The overlay of one run; a new one over the same files is the next run.
    std::unique_ptr<MangoHudOverlay> run()
    {
        return std::make_unique<MangoHudOverlay>(MangoHudOverlay::Options{
            dir.filePath("MangoHud"), [this] { return installed.load(); }, [this](const QStringList& bundles) {
                ++lookups;
                QHash<QString, QStringList> found;
                for (const QString& bundle : bundles)
                    found.insert(bundle, programs.value(bundle));
                return found;
            },
            recordFile()});
    }
    QString recordFile() const { return dir.filePath("data/mangohud_files.json"); }
    std::unique_ptr<MangoHudOverlay> firstRun = run();
    MangoHudOverlay& overlay = *firstRun;

    QString path(const QString& name = MangoHudOverlay::globalFileName) const
    {
        return dir.filePath("MangoHud/" + name);
    }
    void write(const QByteArray& bytes, const QString& name = MangoHudOverlay::globalFileName) const
    {
        QDir().mkpath(dir.filePath("MangoHud"));
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::optional<QByteArray> read(const QString& name = MangoHudOverlay::globalFileName) const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
    QByteArray contents(const QString& name = MangoHudOverlay::globalFileName) const
    {
        return read(name).value_or(kAbsent);
    }
    // What stands at the name: the bytes of a file, what kind of thing else, or for a link what
    // stands at its target.
    QByteArray state(const QString& name = MangoHudOverlay::globalFileName) const
    {
        const QFileInfo info(path(name));
        return info.isSymLink() ? "link: " + stateAt(info.symLinkTarget()) : stateAt(path(name));
    }
    static QByteArray stateAt(const QString& path)
    {
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            return kAbsent;
        if (S_ISFIFO(status.st_mode))
            return "(pipe)";
        if (S_ISCHR(status.st_mode))
            return "(device)";
        if (S_ISDIR(status.st_mode))
            return "(folder)";
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "(unreadable)";
    }
    // Every entry of the folder with its bytes; nothing at all when there is no folder.
    std::optional<QMap<QString, QByteArray>> folder() const
    {
        const QDir folder(dir.filePath("MangoHud"));
        if (!folder.exists())
            return std::nullopt;
        QMap<QString, QByteArray> entries;
        for (const QString& name : folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            entries.insert(name, read(name).value_or(kAbsent));
        return entries;
    }
};

// A game's file of ours over these MangoHud.conf bytes.
QByteArray gameFile(QByteArray global = {})
{
    if (!global.isEmpty() && !global.endsWith('\n'))
        global += '\n';
    return MangoHudOverlay::hudMarker + '\n' + global + MangoHudOverlay::hudLinesMarker
           + "\nfps\nframetime\nframe_timing\ncpu_stats\ngpu_stats\n";
}

} // namespace

class TestMangoHudOverlay : public QObject {
    Q_OBJECT
private slots:
    void readBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("limit");
        QTest::newRow("value with line break") << QByteArray("fps_limit=120\n") << qint64(120);
        QTest::newRow("spaces and a sign") << QByteArray("a=1\n  fps_limit = +90  \nb") << qint64(90);
        QTest::newRow("a list starts at its first entry") << QByteArray("fps_limit=60,30,0") << qint64(60);
        QTest::newRow("the last line wins") << QByteArray("fps_limit=30\nfps_limit=75\n") << qint64(75);
        QTest::newRow("a comment is no limit") << QByteArray("# fps_limit=60\n") << qint64(0);
        QTest::newRow("unlimited") << QByteArray("fps_limit=0\n") << qint64(0);
        QTest::newRow("not a whole number") << QByteArray("fps_limit=60.5\n") << qint64(0);
        QTest::newRow("no value") << QByteArray("fps_limit\n") << qint64(0);
        QTest::newRow("a longer key") << QByteArray("fps_limit_method=late\n") << qint64(0);
        QTest::newRow("no file") << QByteArray() << qint64(0);
    }
    void readBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, limit);
        Files f;
        if (!file.isEmpty())
            f.write(file);
        QCOMPARE(f.overlay.readFrameLimit().value_or(0), limit);
        f.installed = false;
        QCOMPARE(f.overlay.readFrameLimit(), std::nullopt);
    }

    // Each step runs on what the one before left; the user's lines stay byte for byte throughout.
    void limitLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("afterSet");
        QTest::addColumn<QByteArray>("afterSecondSet");
        QTest::addColumn<QByteArray>("afterOwnRemoval");
        QTest::addColumn<QByteArray>("afterUserRemoval");
        const QByteArray mine = marker("144") + "\nfps_limit=144\n";
        // A file that was not there before goes again, whoever removes the limit.
        QTest::newRow("no file") << kAbsent << marker("144", "(new file)") + "\nfps_limit=144\n"
                                 << marker("60", "(new file)") + "\nfps_limit=60\n"
                                 << kAbsent << kAbsent;
        QTest::newRow("an empty file stays")
            << QByteArray() << mine << marker("60") + "\nfps_limit=60\n" << QByteArray()
                                             << QByteArray();
        QTest::newRow("user's file without a limit")
            << kUserFile << mine + kUserFile << marker("60") + "\nfps_limit=60\n" + kUserFile << kUserFile << kUserFile;
        const QByteArray theirs = "gpu_stats\nfps_limit = 30\nfont_size=20";
        QTest::newRow("user's own limit comes back, whoever removes ours")
            << theirs << "gpu_stats\n" + marker("144", "(was: fps_limit = 30)") + "\nfps_limit=144\nfont_size=20"
            << "gpu_stats\n" + marker("60", "(was: fps_limit = 30)") + "\nfps_limit=60\nfont_size=20" << theirs
            << theirs;
        const QByteArray last = "gpu_stats\nfps_limit=30";
        QTest::newRow("user's limit on the last line without a line break")
            << last << "gpu_stats\n" + marker("144", "(was: fps_limit=30)") + "\nfps_limit=144"
            << "gpu_stats\n" + marker("60", "(was: fps_limit=30)") + "\nfps_limit=60" << last << last;
    }
    void limitLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, afterSet);
        QFETCH(QByteArray, afterSecondSet);
        QFETCH(QByteArray, afterOwnRemoval);
        QFETCH(QByteArray, afterUserRemoval);
        for (const bool byUser : {false, true}) {
            Files f;
            if (before != kAbsent)
                f.write(before);
            QVERIFY(f.overlay.writeFrameLimit(144).done());
            QCOMPARE(f.contents(), afterSet);
            QCOMPARE(f.overlay.readFrameLimit(), 144);
            QVERIFY(f.overlay.writeFrameLimit(60).done());
            QCOMPARE(f.contents(), afterSecondSet);
            if (byUser) {
                QVERIFY(f.overlay.removeFrameLimit().done());
                QCOMPARE(f.contents(), afterUserRemoval);
            } else {
                f.overlay.removeOwnSettings(true, {});
                QCOMPARE(f.contents(), afterOwnRemoval);
                // Once more, as a second clean-up at quit would: nothing else goes.
                f.overlay.removeSystemWideSettings();
                QCOMPARE(f.contents(), afterOwnRemoval);
            }
        }
    }

    void ownRemovalLeavesTheUsersLimit()
    {
        Files f;
        const QByteArray theirs = "fps_limit=30\n# " + kMarker + "\n";
        f.write(theirs);
        f.overlay.removeOwnSettings(true, {});
        f.overlay.removeSystemWideSettings();
        QCOMPARE(f.read(), theirs);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<int>("setStatus");
        QTest::addColumn<QString>("setMessage");
        QTest::addColumn<int>("removeStatus");
        QTest::addColumn<QString>("removeMessage");
        const int unavailable = int(GameOverlay::Change::Status::Unavailable);
        const int failed = int(GameOverlay::Change::Status::Failed);
        const int done = int(GameOverlay::Change::Status::Done);
        const QString needs = "The frame limit needs MangoHud: install the mangohud package.";
        QTest::newRow("not installed") << false << "" << unavailable << needs << unavailable << needs;
        // Nothing to take away where no file can be.
        QTest::newRow("a file where the folder goes")
            << true << "MangoHud" << failed << "Failed to set frame limit" << done << "";
        QTest::newRow("a folder where the file goes") << true << "MangoHud/MangoHud.conf" << failed
                                                      << "Failed to set frame limit" << failed
                                                      << "Failed to remove frame limit";
        // Ours from this run, and too large to be rewritten under a file-size limit that lets
        // MangoHud.conf through, even for root. The failed limit is taken back at once, so there is
        // then nothing to remove.
        QTest::newRow("a game's file that cannot be rewritten")
            << true << "MangoHud/game.conf" << failed << "Failed to set frame limit" << done << "";
    }
    void failures()
    {
        QFETCH(bool, installed);
        QFETCH(QString, obstacle);
        QFETCH(int, setStatus);
        QFETCH(QString, setMessage);
        QFETCH(int, removeStatus);
        QFETCH(QString, removeMessage);
        Files f;
        f.installed = installed;
        f.programs["com.example.game"] = {"game"};
        const bool gameFileInTheWay = obstacle.endsWith(".conf") && !obstacle.endsWith(MangoHudOverlay::globalFileName);
        if (obstacle == "MangoHud") {
            QFile file(f.dir.filePath(obstacle));
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (gameFileInTheWay) {
            f.write(kUserFile);
            QCOMPARE(f.overlay.writeHUD("com.example.game", true), GameOverlay::HUDWrite::Done);
        } else if (!obstacle.isEmpty()) {
            QVERIFY(QDir().mkpath(f.dir.filePath(obstacle)));
        } else {
            f.write(kUserFile);
        }
        std::optional<FileSizeLimit> tooSmallForGameFiles;
        if (gameFileInTheWay)
            tooSmallForGameFiles.emplace(kUserFile.size() + 60);
        const auto set = f.overlay.writeFrameLimit(90);
        tooSmallForGameFiles.reset();
        QCOMPARE(int(set.status), setStatus);
        QCOMPARE(set.message, setMessage);
        // A limit that failed is not in the user's file for the clean-up at quit to miss.
        if (gameFileInTheWay)
            QCOMPARE(f.read(), kUserFile);
        const auto removal = f.overlay.removeFrameLimit();
        QCOMPARE(int(removal.status), removeStatus);
        QCOMPARE(removal.message, removeMessage);
        QCOMPARE(f.overlay.writeHUD("com.example.game", true),
                 installed && (obstacle.isEmpty() || gameFileInTheWay) ? GameOverlay::HUDWrite::Done
                                                                        : GameOverlay::HUDWrite::Failed);
        QCOMPARE(f.overlay.unavailableReason().has_value(), !installed);
        if (obstacle.isEmpty() || gameFileInTheWay)
            QCOMPARE(f.read(), kUserFile);
    }

    // The file system refuses every write, root's too: the user's files stay as they were, and a
    // folder made for the write goes again.
    void refusedWrites_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("removeMessage");
        QTest::newRow("user's file") << QByteArray("gpu_stats\nfps_limit=30\n") << "Failed to remove frame limit";
        QTest::newRow("no configuration") << kAbsent << "";
    }
    void refusedWrites()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, removeMessage);
        Files f;
        f.programs["com.example.game"] = {"game"};
        if (before != kAbsent)
            f.write(before);
        const auto folder = f.folder();
        FileSizeLimit refused(4);
        QCOMPARE(f.overlay.writeFrameLimit(90).message, "Failed to set frame limit");
        QCOMPARE(f.overlay.removeFrameLimit().message, removeMessage);
        QCOMPARE(f.overlay.writeHUD("com.example.game", true), GameOverlay::HUDWrite::Failed);
        QCOMPARE(f.folder(), folder);
    }

    void gameFiles()
    {
        Files f;
        f.programs["com.example.game"] = {"game", "game-helper"};
        f.programs["com.example.mine"] = {"mine"};
        f.programs["com.example.clash"] = {"MangoHud", "presets", "../escape"};
        const QByteArray theirs = "no_display\nfps_limit=30";
        f.write(theirs, "mine.conf");
        // MangoHud's own presets, which are no game's.
        const QByteArray presets = "[preset 1]\nno_display\n";
        f.write(presets, "presets.conf");
        f.write("fps_limit=50\n");

        QCOMPARE(f.overlay.writeHUD("com.example.game", true), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.read("game.conf"), gameFile("fps_limit=50\n"));
        QCOMPARE(f.read("game-helper.conf"), gameFile("fps_limit=50\n"));
        // MangoHud reads it instead of MangoHud.conf, so it carries the user's settings along.
        f.write(kUserFile);
        QCOMPARE(f.overlay.writeHUD("com.example.game", true), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.read("game.conf"), gameFile(kUserFile));
        f.write("fps_limit=50\n");
        // The user's own file for a game decides on its own; a program whose file would be another
        // file of MangoHud's, or lie elsewhere, is no game to write for.
        QCOMPARE(f.overlay.writeHUD("com.example.mine", true), GameOverlay::HUDWrite::UsersOwn);
        QCOMPARE(f.read("mine.conf"), theirs);
        QCOMPARE(f.overlay.writeHUD("com.example.clash", true), GameOverlay::HUDWrite::NoGame);
        QCOMPARE(f.read(), QByteArray("fps_limit=50\n"));
        QCOMPARE(f.overlay.writeHUD("com.example.absent", true), GameOverlay::HUDWrite::NoGame);
        // Several games at once take one look at what is installed, however many there are.
        f.lookups = 0;
        using W = GameOverlay::HUDWrite;
        const auto writes = f.overlay.writeHUDs({"com.example.game", "com.example.absent", "com.example.mine"}, true);
        QCOMPARE(writes.games, QList<W>({W::Done, W::NoGame, W::UsersOwn}));
        QCOMPARE(writes.unaffectedPrograms, QStringList{"mine"});
        QCOMPARE(f.lookups, 1);

        // The games' files follow the limit, as MangoHud reads them instead of MangoHud.conf.
        const auto limited = f.overlay.writeFrameLimit(144);
        QVERIFY(limited.done());
        QCOMPARE(f.read("game.conf"), gameFile(marker("144", "(was: fps_limit=50)") + "\nfps_limit=144\n"));
        // The user's own file keeps that program out of the limit.
        QCOMPARE(limited.unaffectedPrograms, QStringList{"mine"});
        QVERIFY(f.overlay.removeFrameLimit().done());
        QCOMPARE(f.read("game.conf"), gameFile("fps_limit=50\n"));
        QCOMPARE(f.read("mine.conf"), theirs);

        QCOMPARE(f.overlay.writeHUD("com.example.game", false), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.overlay.writeHUD("com.example.mine", false), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.overlay.writeHUD("com.example.absent", false), GameOverlay::HUDWrite::Done);
        QVERIFY(!QFile::exists(f.path("game.conf")));
        QVERIFY(!QFile::exists(f.path("game-helper.conf")));
        QCOMPARE(f.read("mine.conf"), theirs);
        // Taking the HUD back needs no MangoHud.
        QCOMPARE(f.overlay.writeHUD("com.example.game", true), GameOverlay::HUDWrite::Done);
        f.installed = false;
        QCOMPARE(f.overlay.writeHUD("com.example.game", false), GameOverlay::HUDWrite::Done);
        QVERIFY(!QFile::exists(f.path("game.conf")));

        // An uninstall takes every game file of ours, even those a run that ended without its
        // clean-up left behind, and nothing else.
        f.installed = true;
        f.programs["com.example.left"] = {"left-behind"};
        QCOMPARE(f.run()->writeHUDs({"com.example.game", "com.example.left"}, true).games, QList<W>({W::Done, W::Done}));
        const auto global = f.read();
        f.run()->removeSystemWideSettings();
        QVERIFY(!QFile::exists(f.path("game.conf")));
        QVERIFY(!QFile::exists(f.path("left-behind.conf")));
        QVERIFY(!QFile::exists(f.recordFile()));
        QCOMPARE(f.read("mine.conf"), theirs);
        QCOMPARE(f.read("presets.conf"), presets);
        QCOMPARE(f.read(), global);
    }

    // However a run ends, what it wrote is taken back before anything else: every file of the user's
    // is byte for byte as before, nothing of ours is left, and a folder we made is gone.
    void leftovers_data()
    {
        QTest::addColumn<QByteArray>("global");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("ownGameFile");
        QTest::addColumn<QString>("ending");
        struct Setup {
            const char* name;
            QByteArray global;
            bool folder;
            bool ownGameFile;
        };
        const Setup setups[] = {
            {"a limit of the user's", kCrlfUserFile, true, false},
            {"no limit", kUserFile, true, false},
            {"a game's own file", kCrlfUserFile, true, true},
            {"an empty MangoHud.conf", "", true, false},
            {"an empty folder", kAbsent, true, false},
            {"no configuration", kAbsent, false, false},
        };
        for (const Setup& setup : setups) {
            for (const char* ending : {"quit", "crash, start", "crash, read-back", "crash, new limit, quit", "uninstall"})
                QTest::addRow("%s; %s", setup.name, ending)
                    << setup.global << setup.folder << setup.ownGameFile << QString(ending);
        }
    }
    void leftovers()
    {
        QFETCH(QByteArray, global);
        QFETCH(bool, folder);
        QFETCH(bool, ownGameFile);
        QFETCH(QString, ending);
        Files f;
        f.programs["com.example.game"] = {"game"};
        f.programs["com.example.mine"] = {"mine"};
        if (folder)
            QVERIFY(QDir().mkpath(f.dir.filePath("MangoHud")));
        if (global != kAbsent)
            f.write(global);
        if (ownGameFile)
            f.write("# mine\r\nno_display\r\nfps_limit=30", "mine.conf");
        const auto before = f.folder();
        const std::optional<qint64> usersLimit = global == kCrlfUserFile ? std::optional<qint64>(75) : std::nullopt;

        auto run = f.run();
        const auto set = run->writeFrameLimit(90);
        QVERIFY(set.done());
        QCOMPARE(set.unaffectedPrograms, ownGameFile ? QStringList{"mine"} : QStringList());
        using W = GameOverlay::HUDWrite;
        QCOMPARE(run->writeHUDs({"com.example.game", "com.example.mine"}, true).games,
                 QList<W>({W::Done, ownGameFile ? W::UsersOwn : W::Done}));
        QVERIFY(run->writeFrameLimit(120).done());
        QCOMPARE(f.read("game.conf"), gameFile(f.contents()));
        if (ending == "quit") {
            // As when the Frame Limiter screen was never opened: nothing recorded in this run.
            run->removeOwnSettings(false, {});
        } else if (ending == "uninstall") {
            run->removeSystemWideSettings();
        } else {
            run.reset();
            auto next = f.run();
            if (ending == "crash, start") {
                next->recoverLeftovers();
            } else if (ending == "crash, read-back") {
                QCOMPARE(next->readFrameLimit(), usersLimit);
            } else {
                QVERIFY(next->writeFrameLimit(60).done());
                QCOMPARE(f.contents().count(kMarker), 1);
                next->removeOwnSettings(false, {});
            }
        }
        QCOMPARE(f.folder(), before);
    }

    // Whatever stands at MangoHud.conf or a game's file, each action leaves the watched file as the
    // row says and reports whether it could be done; the take-back at quit, and the one of a later
    // run, then leave it as the row says. A step "append <file> <line>", "prepend <file> <line>",
    // "under limit|hud <file> <line>" (straight under our limit or HUD lines marker),
    // "replace <file> <line> <line>" or
    // "copy <from> <to>" is the user's; "restart" starts the next run after one that ended without
    // its clean-up. An action may end in what it must report instead of the row's: "refused", "kept"
    // (the HUD left to a file of the user's) or "=<limit>" ("=none") for the limit then in force
    // (for "restart", as its first read-back finds it).
    void userFiles_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("watched");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QByteArrayList>("after");
        QTest::addColumn<QByteArray>("afterTakeBack");
        const QString global = MangoHudOverlay::globalFileName;
        const QByteArray theirs = "gpu_stats\nfps_limit=75,144\n";
        const QByteArray limited = marker("144") + "\nfps_limit=144\n" + kUserFile;
        QTest::newRow("user's limit replaced, removed, limited again")
            << "user's limit" << global << QStringList{"limit 144", "remove", "limit 90"} << true
            << QByteArrayList{"gpu_stats\n" + marker("144", "(was: fps_limit=75,144)") + "\nfps_limit=144\n", theirs,
                              "gpu_stats\n" + marker("90", "(was: fps_limit=75,144)") + "\nfps_limit=90\n"}
            << theirs;
        QTest::newRow("our game's file edited by the user")
            << "user's file" << "game.conf" << QStringList{"limit 144", "hud on", "append game.conf ram", "limit 60"}
            << true << QByteArrayList{kAbsent, gameFile(limited), gameFile(limited) + "ram\n", gameFile(limited) + "ram\n"}
            << kUserFile + "\nram\n";
        QTest::newRow("user's copy of our game's file, edited")
            << "user's file" << "copy.conf"
            << QStringList{"hud on", "copy game.conf copy.conf", "append copy.conf ram", "limit 144", "hud off"} << true
            << QByteArrayList{kAbsent, gameFile(kUserFile), gameFile(kUserFile) + "ram\n", gameFile(kUserFile) + "ram\n",
                              gameFile(kUserFile) + "ram\n"}
            << kUserFile + "\nram\n";
        QTest::newRow("exact copy of our game's file")
            << "user's file" << "copy.conf" << QStringList{"hud on", "copy game.conf copy.conf", "limit 144"} << true
            << QByteArrayList{kAbsent, gameFile(kUserFile), gameFile(kUserFile)} << kUserFile + "\n";
        QTest::newRow("link to a file not there yet")
            << "link to nothing" << global << QStringList{"limit 144", "remove", "limit 90"} << true
            << QByteArrayList{"link: " + marker("144", "(new file)") + "\nfps_limit=144\n", "link: " + kAbsent,
                              "link: " + marker("90", "(new file)") + "\nfps_limit=90\n"}
            << "link: " + kAbsent;
        const QStringList actions{"limit 144", "remove", "hud on"};
        const struct {
            const char* name;
            QByteArray state;
        } unusable[] = {
            {"pipe", "(pipe)"},
            {"link to /dev/zero", "link: (device)"},
            {"folder", "(folder)"},
            {"oversized", QByteArray(MangoHudOverlay::globalFileBound + 1, 'x')},
        };
        for (const auto& row : unusable)
            QTest::newRow(row.name) << row.name << global << actions << false
                                    << QByteArrayList(actions.size(), row.state) << row.state;

        // Lines of ours are known by their marks wherever the user's lines put them in a file of ours.
        const QByteArray limited60 = marker("60") + "\nfps_limit=60\n" + kUserFile;
        QTest::newRow("our game's file with a line of the user's on top, at quit")
            << "user's file" << "game.conf" << QStringList{"limit 60", "hud on", "prepend game.conf fps_limit=75"}
            << true << QByteArrayList{kAbsent, gameFile(limited60), "fps_limit=75\n" + gameFile(limited60)}
            << "fps_limit=75\n" + kUserFile + "\n";
        QTest::newRow("our game's file with a line of the user's on top, next start")
            << "user's file" << "game.conf"
            << QStringList{"limit 60", "hud on", "prepend game.conf fps_limit=75", "restart", "hud on kept"} << true
            << QByteArrayList{kAbsent, gameFile(limited60), "fps_limit=75\n" + gameFile(limited60),
                              "fps_limit=75\n" + kUserFile + "\n", "fps_limit=75\n" + kUserFile + "\n"}
            << "fps_limit=75\n" + kUserFile + "\n";
        // Removing the limit takes our limit lines out of a game's file the user edited; its HUD stays
        // until the HUD goes, and a limit set then no longer reaches it.
        QTest::newRow("our game's file with a line of the user's on top, limit removed")
            << "user's file" << "game.conf"
            << QStringList{"limit 60", "hud on", "prepend game.conf fps_limit=75", "hud on", "remove =none",
                           "limit 90 =90", "hud off"}
            << true
            << QByteArrayList{kAbsent,
                              gameFile(limited60),
                              "fps_limit=75\n" + gameFile(limited60),
                              "fps_limit=75\n" + gameFile(limited60),
                              "fps_limit=75\n" + gameFile(kUserFile),
                              "fps_limit=75\n" + gameFile(kUserFile),
                              "fps_limit=75\n" + kUserFile + "\n"}
            << "fps_limit=75\n" + kUserFile + "\n";
        QTest::newRow("our game's file with a line of the user's at the end, limit removed")
            << "user's file" << "game.conf" << QStringList{"limit 60", "hud on", "append game.conf ram", "remove"}
            << true
            << QByteArrayList{kAbsent, gameFile(limited60), gameFile(limited60) + "ram\n",
                              gameFile(kUserFile) + "ram\n"}
            << kUserFile + "\nram\n";
        // The limit in force after each change is what MangoHud.conf then says.
        QTest::newRow("the user's limit holds again once ours is removed")
            << "user's limit" << global << QStringList{"limit 144 =144", "remove =75"} << true
            << QByteArrayList{"gpu_stats\n" + marker("144", "(was: fps_limit=75,144)") + "\nfps_limit=144\n", theirs}
            << theirs;
        // A line the user puts straight under our marker is the user's: only the marker and the exact
        // line we wrote go, and a limit set again changes only ours.
        const QByteArray under60 = marker("60") + "\nfps_limit=75\nfps_limit=60\n" + kUserFile;
        QTest::newRow("user's line under our marker, limit removed")
            << "user's file" << global
            << QStringList{"limit 60", "under limit MangoHud.conf fps_limit=75", "limit 90 =90", "remove =75"}
            << true
            << QByteArrayList{marker("60") + "\nfps_limit=60\n" + kUserFile, under60,
                              marker("90") + "\nfps_limit=75\nfps_limit=90\n" + kUserFile,
                              "fps_limit=75\n" + kUserFile}
            << "fps_limit=75\n" + kUserFile;
        const QByteArray replacing = "gpu_stats\n" + marker("60", "(was: fps_limit=75,144)");
        QTest::newRow("user's line under our marker, at quit")
            << "user's limit" << global << QStringList{"limit 60", "under limit MangoHud.conf fps_limit=30"} << true
            << QByteArrayList{replacing + "\nfps_limit=60\n", replacing + "\nfps_limit=30\nfps_limit=60\n"}
            << QByteArray("gpu_stats\nfps_limit=75,144\nfps_limit=30\n");
        QTest::newRow("user's line under our marker, next start")
            << "user's file" << global
            << QStringList{"limit 60", "under limit MangoHud.conf fps_limit=75", "restart =75"} << true
            << QByteArrayList{marker("60") + "\nfps_limit=60\n" + kUserFile, under60, "fps_limit=75\n" + kUserFile}
            << "fps_limit=75\n" + kUserFile;
        // Our line as the user changed it is the user's.
        QTest::newRow("our line changed by the user")
            << "user's limit" << global << QStringList{"limit 60", "replace MangoHud.conf fps_limit=60 fps_limit=30"}
            << true << QByteArrayList{replacing + "\nfps_limit=60\n", replacing + "\nfps_limit=30\n"}
            << QByteArray("gpu_stats\nfps_limit=75,144\nfps_limit=30\n");
        QTest::newRow("user's line under our marker in our game's file, limit removed, HUD off")
            << "user's file" << "game.conf"
            << QStringList{"limit 60", "hud on", "under limit game.conf fps_limit=75", "remove =none", "hud off"}
            << true
            << QByteArrayList{kAbsent, gameFile(limited60), gameFile(under60), gameFile("fps_limit=75\n" + kUserFile),
                              "fps_limit=75\n" + kUserFile + "\n"}
            << "fps_limit=75\n" + kUserFile + "\n";
        QTest::newRow("user's line under our marker in our game's file, next start")
            << "user's file" << "game.conf"
            << QStringList{"limit 60", "hud on", "under limit game.conf fps_limit=75", "restart"} << true
            << QByteArrayList{kAbsent, gameFile(limited60), gameFile(under60), "fps_limit=75\n" + kUserFile + "\n"}
            << "fps_limit=75\n" + kUserFile + "\n";
        QTest::newRow("user's line under our HUD lines, HUD off")
            << "user's file" << "game.conf" << QStringList{"hud on", "under hud game.conf ram", "hud off"} << true
            << QByteArrayList{gameFile(kUserFile),
                              gameFile(kUserFile).replace(MangoHudOverlay::hudLinesMarker + '\n',
                                                          MangoHudOverlay::hudLinesMarker + "\nram\n"),
                              kUserFile + "\nram\n"}
            << kUserFile + "\nram\n";
        // An earlier build's marker did not name its limit: its line is the one right under it.
        QTest::newRow("a limit an earlier build set, next start")
            << "earlier build's limit" << global << QStringList{"restart =75"} << true << QByteArrayList{theirs}
            << theirs;
        // MangoHud.conf is never written beyond the size it is read within.
        const QByteArray room = marker("144") + "\nfps_limit=144\n";
        const QByteArray full = "#" + QByteArray(MangoHudOverlay::globalFileBound - room.size() - 2, 'x') + "\n";
        QTest::newRow("MangoHud.conf with room for the limit to the byte")
            << "full" << global << QStringList{"limit 144", "limit 1000 refused", "limit 999", "remove =none"} << true
            << QByteArrayList{room + full, room + full, marker("999") + "\nfps_limit=999\n" + full, full} << full;
        const QByteArray nearlyFull = "#" + QByteArray(MangoHudOverlay::globalFileBound - 10, 'x') + "\n";
        QTest::newRow("MangoHud.conf a few bytes under its bound")
            << "nearly full" << global << QStringList{"limit 144 refused", "hud on", "remove", "limit 1 refused"}
            << true << QByteArrayList(4, nearlyFull) << nearlyFull;
    }
    void userFiles()
    {
        QFETCH(QString, setup);
        QFETCH(QString, watched);
        QFETCH(QStringList, steps);
        QFETCH(bool, done);
        QFETCH(QByteArrayList, after);
        QFETCH(QByteArray, afterTakeBack);
        Files f;
        f.programs["com.example.game"] = {"game"};
        QVERIFY(QDir().mkpath(f.dir.filePath("MangoHud")));
        const QString global = f.path();
        if (setup == "user's limit")
            f.write("gpu_stats\nfps_limit=75,144\n");
        else if (setup == "earlier build's limit")
            f.write("gpu_stats\n" + kMarker + " (was: fps_limit=75,144)\nfps_limit=60\n");
        else if (setup == "user's file")
            f.write(kUserFile);
        else if (setup == "link to nothing")
            QVERIFY(QDir().mkpath(f.dir.filePath("dotfiles"))
                    && QFile::link(f.dir.filePath("dotfiles/MangoHud.conf"), global));
        else if (setup == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(global).constData(), 0600), 0);
        else if (setup == "link to /dev/zero")
            QVERIFY(QFile::link("/dev/zero", global));
        else if (setup == "folder")
            QVERIFY(QDir().mkpath(global));
        else if (setup == "full")
            f.write("#"
                    + QByteArray(MangoHudOverlay::globalFileBound - (marker("144") + "\nfps_limit=144\n").size() - 2, 'x')
                    + "\n");
        else if (setup == "nearly full")
            f.write("#" + QByteArray(MangoHudOverlay::globalFileBound - 10, 'x') + "\n");
        else
            f.write(QByteArray(MangoHudOverlay::globalFileBound + 1, 'x'));

        MangoHudOverlay* run = &f.overlay;
        std::unique_ptr<MangoHudOverlay> laterRun;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            QStringList step = steps[i].split(' ');
            const bool reports = QStringList{"limit", "remove", "hud", "restart"}.contains(step[0]);
            const QString expected = step.size() > 1 && reports
                                             && (step.last() == "refused" || step.last() == "kept" || step.last().startsWith('='))
                                         ? step.takeLast()
                                         : QString();
            const bool stepDone = done && expected != "refused";
            const auto checkChange = [&](const GameOverlay::Change& change, const QString& failure) {
                QCOMPARE(change.done(), stepDone);
                if (!stepDone)
                    QCOMPARE(change.message, failure);
                if (expected.startsWith('='))
                    QCOMPARE(change.limitInForce.value_or(0), expected == "=none" ? 0 : expected.mid(1).toLongLong());
            };
            if (step[0] == "limit") {
                checkChange(run->writeFrameLimit(step[1].toLongLong()), "Failed to set frame limit");
            } else if (step[0] == "remove") {
                checkChange(run->removeFrameLimit(), "Failed to remove frame limit");
            } else if (step[0] == "hud") {
                const auto write = run->writeHUDs({"com.example.game"}, step[1] == "on");
                QCOMPARE(write.games.first() == GameOverlay::HUDWrite::Done, stepDone && expected != "kept");
                QCOMPARE(write.games.first() == GameOverlay::HUDWrite::UsersOwn, expected == "kept");
                QCOMPARE(write.unaffectedPrograms, expected == "kept" ? QStringList{"game"} : QStringList());
            } else if (step[0] == "restart") {
                laterRun = f.run();
                run = laterRun.get();
                if (expected.isEmpty())
                    run->recoverLeftovers();
                else
                    QCOMPARE(run->readFrameLimit().value_or(0), expected.mid(1).toLongLong());
            } else if (step[0] == "append") {
                f.write(f.contents(step[1]).replace(kAbsent, "") + step[2].toUtf8() + '\n', step[1]);
            } else if (step[0] == "under") {
                QByteArray bytes = f.contents(step[2]);
                const qsizetype at = bytes.indexOf(step[1] == "limit" ? kMarker : MangoHudOverlay::hudLinesMarker);
                QVERIFY(at >= 0);
                bytes.insert(bytes.indexOf('\n', at) + 1, step[3].toUtf8() + '\n');
                f.write(bytes, step[2]);
            } else if (step[0] == "replace") {
                const QByteArray from = '\n' + step[2].toUtf8() + '\n';
                f.write(f.contents(step[1]).replace(from, '\n' + step[3].toUtf8() + '\n'), step[1]);
            } else if (step[0] == "prepend") {
                f.write(step[2].toUtf8() + '\n' + f.contents(step[1]), step[1]);
            } else {
                QVERIFY(QFile::copy(f.path(step[1]), f.path(step[2])));
            }
            QVERIFY2(f.state(watched) == after[i], qPrintable(steps[i]));
        }
        run->removeOwnSettings(true, {"com.example.game"});
        QCOMPARE(f.state(watched), afterTakeBack);
        // Nothing of ours is left; a later run finds nothing more to take back.
        for (const QString& name : QDir(f.dir.filePath("MangoHud")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QVERIFY2(!f.state(name).contains("Quillmarsh"), qPrintable(name));
        f.run()->recoverLeftovers();
        QCOMPARE(f.state(watched), afterTakeBack);
    }

    // The record of the games' files, kept as a link, is written only when what it says changes; one
    // that could not be written ("refused": every write fails) is written at the next change.
    void recordWrites_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("lastRewrites");
        QTest::newRow("start, nothing of ours") << QStringList{"start"} << false;
        QTest::newRow("quit, nothing of ours") << QStringList{"quit"} << false;
        QTest::newRow("HUD on again") << QStringList{"hud", "hud"} << false;
        QTest::newRow("quit after HUD on") << QStringList{"hud", "quit"} << true;
        QTest::newRow("HUD on after a refused one") << QStringList{"refused", "hud"} << true;
    }
    void recordWrites()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, lastRewrites);
        Files f;
        f.programs["com.example.game"] = {"game"};
        const QByteArray kept = QFile::encodeName(f.dir.filePath("kept.json"));
        QFile file(kept);
        QVERIFY(QDir().mkpath(f.dir.filePath("data")) && file.open(QIODevice::WriteOnly) && file.write("{}") == 2);
        file.close();
        QVERIFY(QFile::link(kept, f.recordFile()));
        struct stat earlier {}, later {};
        for (const QString& step : steps) {
            std::optional<FileSizeLimit> refused;
            if (step == "refused")
                refused.emplace(1);
            QCOMPARE(::stat(kept.constData(), &earlier), 0);
            if (step == "start")
                f.run()->recoverLeftovers();
            else if (step == "quit")
                f.overlay.removeOwnSettings(false, {});
            else
                f.overlay.writeHUD("com.example.game", true);
        }
        QCOMPARE(::stat(kept.constData(), &later), 0);
        const bool rewritten = later.st_ino != earlier.st_ino || later.st_mtim.tv_sec != earlier.st_mtim.tv_sec
                               || later.st_mtim.tv_nsec != earlier.st_mtim.tv_nsec;
        QCOMPARE(rewritten, lastRewrites);
        QVERIFY(QFileInfo(f.recordFile()).isSymLink());
    }

    void writesThroughLinks()
    {
        Files f;
        QDir().mkpath(f.dir.filePath("dotfiles"));
        QDir().mkpath(f.dir.filePath("MangoHud"));
        QFile target(f.dir.filePath("dotfiles/MangoHud.conf"));
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write(kUserFile);
        target.close();
        QVERIFY(QFile::link(target.fileName(), f.path()));
        QVERIFY(f.overlay.writeFrameLimit(72).done());
        QVERIFY(QFileInfo(f.path()).isSymLink());
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), marker("72") + "\nfps_limit=72\n" + kUserFile);
    }
};

QM_TEST_MAIN(TestMangoHudOverlay)
#include "tst_MangoHudOverlay.moc"
