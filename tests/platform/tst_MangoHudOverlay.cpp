#include "TestMain.h"
#include "linux/MangoHudOverlay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <unistd.h>

namespace {

// A user's MangoHud.conf as people keep it: comments, options with and without values, blank
// lines, and no line break after the last line.
const QByteArray kUserFile = "### my settings\n"
                             "gpu_stats\n"
                             "# fps_limit=30\n"
                             "\n"
                             "position=top-right\r\n"
                             "font_size=20";
const QByteArray kMarker = MangoHudOverlay::limitMarker;

// MangoHud files in a scratch folder, and an overlay over them.
struct Files {
    QTemporaryDir dir;
    std::atomic<bool> installed = true;
    QMap<QString, QStringList> programs;
    // How often the installed applications were looked through.
    int lookups = 0;
    MangoHudOverlay overlay{{dir.filePath("MangoHud"), [this] { return installed.load(); },
                             [this](const QStringList& bundles) {
                                 ++lookups;
                                 QHash<QString, QStringList> found;
                                 for (const QString& bundle : bundles)
                                     found.insert(bundle, programs.value(bundle));
                                 return found;
                             }}};

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
};

QByteArray gameFile(const QByteArray& limitLine = {})
{
    return MangoHudOverlay::hudMarker + "\nfps\nframetime\nframe_timing\ncpu_stats\ngpu_stats\n" + limitLine;
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
        QTest::newRow("no file") << QByteArray() << mine << kMarker + "\nfps_limit=60\n" << QByteArray()
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
            if (!before.isEmpty())
                f.write(before);
            QVERIFY(f.overlay.writeFrameLimit(144).done());
            QCOMPARE(f.read().value_or(""), afterSet);
            QCOMPARE(f.overlay.readFrameLimit(), 144);
            QVERIFY(f.overlay.writeFrameLimit(60).done());
            QCOMPARE(f.read().value_or(""), afterSecondSet);
            if (byUser) {
                QVERIFY(f.overlay.removeFrameLimit().done());
                QCOMPARE(f.read().value_or(""), afterUserRemoval);
            } else {
                f.overlay.removeOwnFrameLimit();
                QCOMPARE(f.read().value_or(""), afterOwnRemoval);
                // Once more, as a second clean-up at quit would: nothing else goes.
                f.overlay.removeSystemWideSettings();
                QCOMPARE(f.read().value_or(""), afterOwnRemoval);
            }
        }
    }

    void ownRemovalLeavesTheUsersLimit()
    {
        Files f;
        const QByteArray theirs = "fps_limit=30\n# " + kMarker + "\n";
        f.write(theirs);
        f.overlay.removeOwnFrameLimit();
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
            f.write(kUserFile);
            f.write(gameFile("fps_limit=30\n"), QFileInfo(obstacle).fileName());
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

    void readOnlyFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root writes to read-only folders");
        Files f;
        f.write("fps_limit=30\n");
        const QString folder = f.dir.filePath("MangoHud");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(f.overlay.writeFrameLimit(90).message, "Failed to set frame limit");
        QCOMPARE(f.overlay.removeFrameLimit().message, "Failed to remove frame limit");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(f.read(), QByteArray("fps_limit=30\n"));
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
        QVERIFY(f.overlay.writeFrameLimit(144).done());
        QCOMPARE(f.read("game.conf"), gameFile("fps_limit=144\n"));
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
        f.write(gameFile("fps_limit=50\n"), "game.conf");
        f.write(gameFile(), "left-behind.conf");
        const auto global = f.read();
        f.overlay.removeSystemWideSettings();
        QVERIFY(!QFile::exists(f.path("game.conf")));
        QVERIFY(!QFile::exists(f.path("left-behind.conf")));
        QCOMPARE(f.read("mine.conf"), theirs);
        QCOMPARE(f.read(), global);
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
