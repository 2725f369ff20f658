#include "FileSizeLimit.h"
#include "TestMain.h"
#include "linux/MangoHudOverlay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <memory>

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
const QByteArray kNewFile = MangoHudOverlay::limitMarker + MangoHudOverlay::newFileNote;
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
            }});
    }
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
        const QByteArray mine = kMarker + "\nfps_limit=144\n";
        // A file that was not there before goes again, whoever removes the limit.
        QTest::newRow("no file") << kAbsent << kNewFile + "\nfps_limit=144\n" << kNewFile + "\nfps_limit=60\n"
                                 << kAbsent << kAbsent;
        QTest::newRow("an empty file stays") << QByteArray() << mine << kMarker + "\nfps_limit=60\n" << QByteArray()
                                             << QByteArray();
        QTest::newRow("user's file without a limit")
            << kUserFile << mine + kUserFile << kMarker + "\nfps_limit=60\n" + kUserFile << kUserFile << kUserFile;
        const QByteArray theirs = "gpu_stats\nfps_limit = 30\nfont_size=20";
        QTest::newRow("user's own limit comes back when taken back, not when removed")
            << theirs << "gpu_stats\n" + kMarker + " (was: fps_limit = 30)\nfps_limit=144\nfont_size=20"
            << "gpu_stats\n" + kMarker + " (was: fps_limit = 30)\nfps_limit=60\nfont_size=20" << theirs
            << QByteArray("gpu_stats\nfont_size=20");
        const QByteArray last = "gpu_stats\nfps_limit=30";
        QTest::newRow("user's limit on the last line without a line break")
            << last << "gpu_stats\n" + kMarker + " (was: fps_limit=30)\nfps_limit=144"
            << "gpu_stats\n" + kMarker + " (was: fps_limit=30)\nfps_limit=60" << last << QByteArray("gpu_stats\n");
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
        // The name leaves no room for the temporary file a safe save writes beside it, even for root.
        // The failed limit is taken back at once, so there is then nothing to remove.
        QTest::newRow("a game's file that cannot be rewritten")
            << true << "MangoHud/" + QString(245, 'g') + ".conf" << failed << "Failed to set frame limit" << done
            << "";
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
            // Ours from this run, so after the run took back what an earlier one left.
            f.overlay.recoverLeftovers();
            f.write(kUserFile);
            f.write(gameFile(kUserFile), QFileInfo(obstacle).fileName());
        } else if (!obstacle.isEmpty()) {
            QVERIFY(QDir().mkpath(f.dir.filePath(obstacle)));
        } else {
            f.write(kUserFile);
        }
        const auto set = f.overlay.writeFrameLimit(90);
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
        f.programs["com.example.clash"] = {"MangoHud", "../escape"};
        const QByteArray theirs = "no_display\nfps_limit=30";
        f.write(theirs, "mine.conf");
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
        QCOMPARE(f.overlay.writeHUD("com.example.mine", true), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.read("mine.conf"), theirs);
        QCOMPARE(f.overlay.writeHUD("com.example.clash", true), GameOverlay::HUDWrite::NoGame);
        QCOMPARE(f.read(), QByteArray("fps_limit=50\n"));
        QCOMPARE(f.overlay.writeHUD("com.example.absent", true), GameOverlay::HUDWrite::NoGame);
        // Several games at once take one look at what is installed, however many there are.
        f.lookups = 0;
        using W = GameOverlay::HUDWrite;
        QCOMPARE(f.overlay.writeHUDs({"com.example.game", "com.example.absent", "com.example.mine"}, true),
                 QList<W>({W::Done, W::NoGame, W::Done}));
        QCOMPARE(f.lookups, 1);

        // The games' files follow the limit, as MangoHud reads them instead of MangoHud.conf.
        const auto limited = f.overlay.writeFrameLimit(144);
        QVERIFY(limited.done());
        QCOMPARE(f.read("game.conf"), gameFile(kMarker + " (was: fps_limit=50)\nfps_limit=144\n"));
        // The user's own file keeps that program out of the limit.
        QCOMPARE(limited.unaffectedPrograms, QStringList{"mine"});
        QVERIFY(f.overlay.removeFrameLimit().done());
        QCOMPARE(f.read("game.conf"), gameFile());
        QCOMPARE(f.read("mine.conf"), theirs);

        QCOMPARE(f.overlay.writeHUD("com.example.game", false), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.overlay.writeHUD("com.example.mine", false), GameOverlay::HUDWrite::Done);
        QCOMPARE(f.overlay.writeHUD("com.example.absent", false), GameOverlay::HUDWrite::Done);
        QVERIFY(!QFile::exists(f.path("game.conf")));
        QVERIFY(!QFile::exists(f.path("game-helper.conf")));
        QCOMPARE(f.read("mine.conf"), theirs);
        // Taking the HUD back needs no MangoHud.
        f.installed = false;
        f.write(gameFile(), "game.conf");
        QCOMPARE(f.overlay.writeHUD("com.example.game", false), GameOverlay::HUDWrite::Done);
        QVERIFY(!QFile::exists(f.path("game.conf")));

        // An uninstall takes every game file of ours, even those a run left behind, and nothing else.
        f.write(gameFile(), "game.conf");
        f.write(gameFile(), "left-behind.conf");
        const auto global = f.read();
        f.overlay.removeSystemWideSettings();
        QVERIFY(!QFile::exists(f.path("game.conf")));
        QVERIFY(!QFile::exists(f.path("left-behind.conf")));
        QCOMPARE(f.read("mine.conf"), theirs);
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
        QCOMPARE(run->writeHUDs({"com.example.game", "com.example.mine"}, true), QList<W>({W::Done, W::Done}));
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
        QCOMPARE(target.readAll(), kMarker + "\nfps_limit=72\n" + kUserFile);
    }
};

QM_TEST_MAIN(TestMangoHudOverlay)
#include "tst_MangoHudOverlay.moc"
