#include "FakeProcessRunner.h"
#include "ScratchHome.h"
#include "TestMain.h"
#include "DiskUsage.h"
#include "cleanup/DiskScanEngine.h"
#include "linux/LinuxProcessRunner.h"

#include <QDir>
#include <atomic>
#include <fcntl.h>
#include <sys/resource.h>

#include <unistd.h>

namespace {

constexpr qint64 MiB = ScratchHome::kMiB;

const DiskScanEngine::Cancelled never = [] { return false; };

const FileItem* find(const QList<FileItem>& items, const QString& path)
{
    for (const FileItem& item : items) {
        if (item.path == path)
            return &item;
    }
    return nullptr;
}

FileItem item(const QString& path, qint64 size, double days = 0)
{
    return FileItem::make(path.section('/', -1), path, size, "file", days);
}

// A list with the ids every scan makes afresh left out.
QList<FileItem> withoutIds(QList<FileItem> items)
{
    for (FileItem& entry : items)
        entry.id = QUuid();
    return items;
}

// The walk's environment on either table.
ScanEnvironment environmentFor(const ScratchHome& scratch, bool onLinux)
{
    return onLinux ? scratch.linuxEnvironment() : scratch.environment();
}

// What a scan found, as "list: path below the home or temporary folder: reasons", sorted.
QStringList findings(const DiskScanEngine& engine, const ScratchHome& scratch)
{
    const DiskScanEngine::HomeFiles found = engine.scanHomeFiles({}, never);
    QStringList lines;
    const auto add = [&](const char* list, const QList<FileItem>& items) {
        for (const FileItem& item : items) {
            const QString where = item.path.startsWith(scratch.home())
                                      ? "~" + item.path.mid(scratch.home().size())
                                      : "tmp" + item.path.mid(scratch.temporary().size());
            lines << QString("%1: %2: %3").arg(list, where, item.reasons.join(", "));
        }
    };
    add("folder", found.folders);
    add("file", found.files);
    add("media", found.media);
    add("candidate", found.candidates);
    add("app", engine.scanApplications(never));
    lines.sort();
    return lines;
}

} // namespace

class TestDiskScanEngine : public QObject {
    Q_OBJECT
private slots:
    void walk_data()
    {
        QTest::addColumn<bool>("onLinux");
        QTest::addColumn<QString>("relative");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("linkTo");
        QTest::addColumn<bool>("largeFile");
        QTest::addColumn<QString>("mediaType");
        QTest::addColumn<QStringList>("reasons");

        const auto row = [](const char* name, const QString& relative, qint64 size, double days, bool large,
                            const QString& media, const QStringList& reasons, bool onLinux = false) {
            QTest::newRow(name) << onLinux << relative << size << days << QString() << large << media << reasons;
        };
        const auto nothing = [](const char* name, const QString& relative, qint64 size = 60 * MiB,
                                const QString& linkTo = {}, bool onLinux = false, double days = 90) {
            QTest::newRow(name) << onLinux << relative << size << days << linkTo << false << QString() << QStringList{};
        };
        const QStringList unused{"Unused for 14+ days"};
        const QStringList temporary{"Temporary file"};

        row("exactly 10 MiB", "home/Documents/a.bin", 10 * MiB, 0, false, {}, {});
        row("10 MiB and a byte", "home/Documents/b.bin", 10 * MiB + 1, 3.5, true, {}, {});
        row("media of exactly 50 MiB", "home/Movies/c.mp4", 50 * MiB, 0, true, {}, {});
        row("media of 50 MiB and a byte", "home/Movies/d.mp4", 50 * MiB + 1, 0, true, "video", {});
        row("zip of 60 MiB in both lists", "home/Documents/e.zip", 60 * MiB, 0, true, "image", {});
        row("upper-case video extension", "home/Movies/f.MOV", 60 * MiB, 0, true, "video", {});
        row("name with a newline and a leading dash", "home/Documents/-rf\nname.bin", 20 * MiB, 0, true, {}, {});
        row("old document", "home/Documents/old.bin", 2 * MiB, 20, false, {}, unused);
        row("fourteen days is not old", "home/Documents/recent.bin", 2 * MiB, 14, false, {}, {});
        row("download artifact deeper down", "home/Downloads/deep/x.zip", 2 * MiB, 0, false, {},
            {"Large download artifact"});
        row("log extension anywhere", "home/Projects/run.log", 2 * MiB, 0, false, {}, temporary);
        row("home Library caches are walked", "home/Library/Caches/app/blob.bin", 2 * MiB, 30, false, {},
            {"App cache", "Unused for 14+ days"});
        row("home Library logs are walked", "home/Library/Logs/app/run.txt", 2 * MiB, 0, false, {}, {"Log file"});
        row("old temporary file", "tmp/a.tmp", 2 * MiB, 1, false, {}, temporary);
        row("temporary file quiet for two hours", "tmp/c.bin", 2 * MiB, 2.0 / 24, false, {}, temporary);
        row("temporary files are never large files", "tmp/e.mp4", 60 * MiB, 1, false, {}, temporary);
        row("XDG cache on Linux", "home/.cache/app/blob.bin", 2 * MiB, 0, false, {}, {"App cache"}, true);
        row("Library caches on Linux", "home/Library/Caches/x.bin", 2 * MiB, 0, false, {}, {"App cache"}, true);
        row("log in XDG state on Linux", "home/.local/state/app/run.log", 2 * MiB, 0, false, {},
            {"Log file", "Temporary file"}, true);
        row("old file of a logs folder in XDG state on Linux", "home/.local/state/app/logs/1.txt", 2 * MiB, 20, false,
            {}, {"Log file", "Unused for 14+ days"}, true);

        nothing("one MiB is never a candidate", "home/Documents/small.bin", MiB);
        nothing("hidden folder", "home/.hidden/big.bin");
        nothing("hidden file", "home/Documents/.big.bin");
        nothing("hidden folder inside Downloads", "home/Downloads/.partial/big.zip");
        nothing("ssh keys", "home/.ssh/id_rsa", 2 * MiB);
        nothing("the Trash", "home/.local/share/Trash/files/old.iso");
        nothing("home Library preferences", "home/Library/Preferences/p.bin");
        nothing("file directly in the home Library", "home/Library/loose.bin");
        nothing("temporary file changed in the last hour", "tmp/b.bin", 2 * MiB, {}, false, 0.5 / 24);
        nothing("temporary subfolder", "tmp/sub/d.bin");
        nothing("hidden XDG cache entry on Linux", "home/.cache/.private/x.bin", 2 * MiB, {}, true);
        nothing("XDG config on Linux", "home/.config/app/state.bin", 2 * MiB, {}, true);
        nothing("state that is no log on Linux", "home/.local/state/app/index.db", 60 * MiB, {}, true);
        nothing("XDG data on Linux", "home/.local/share/app/old.bin", 2 * MiB, {}, true);
        nothing("hidden folder in XDG state on Linux", "home/.local/state/.app/run.log", 2 * MiB, {}, true);
        nothing("link to a large file", "home/Documents/link.bin", 60 * MiB, "outside/big.bin");
        nothing("link to a folder holding a large file", "home/Elsewhere", 60 * MiB, "outside/big.bin");
        nothing("link to the root folder", "home/root", 0, "/");
    }
    void walk()
    {
        QFETCH(bool, onLinux);
        QFETCH(QString, relative);
        QFETCH(qint64, size);
        QFETCH(double, days);
        QFETCH(QString, linkTo);
        QFETCH(bool, largeFile);
        QFETCH(QString, mediaType);
        QFETCH(QStringList, reasons);

        ScratchHome scratch;
        QString path = scratch.at(relative);
        if (linkTo.isEmpty()) {
            QVERIFY(!scratch.file(relative, size, days).isEmpty());
        } else {
            const QString target = linkTo.startsWith('/') ? linkTo : scratch.file(linkTo, size, days);
            QDir().mkpath(QFileInfo(path).absolutePath());
            const QString pointTo = relative.endsWith("Elsewhere") ? QFileInfo(target).absolutePath() : target;
            QVERIFY(QFile::link(pointTo, path));
        }

        const DiskScanEngine engine(environmentFor(scratch, onLinux), std::make_shared<FakeProcessRunner>(), nullptr);
        const DiskScanEngine::HomeFiles found = engine.scanHomeFiles({}, never);

        const FileItem* file = find(found.files, path);
        QCOMPARE(file != nullptr, largeFile);
        if (file) {
            QCOMPARE(file->type, QString("file"));
            QCOMPARE(file->name, relative.mid(5));
            QCOMPARE(file->daysSinceAccess, days);
        }
        const FileItem* media = find(found.media, path);
        QCOMPARE(media ? media->type : QString(), mediaType);
        const FileItem* candidate = find(found.candidates, path);
        QCOMPARE(candidate ? candidate->reasons : QStringList(), reasons);
        if (candidate) {
            QCOMPARE(candidate->type, reasons.contains("App cache") ? QString("cache") : QString("cleanup"));
            QCOMPARE(candidate->name, path.section('/', -1));
            QVERIFY(candidate->recommended);
        }
        for (const auto* list : {&found.files, &found.media, &found.candidates}) {
            for (const FileItem& kept : *list)
                QVERIFY2(kept.path == path, qPrintable(kept.path));
        }
    }

    // The same home finds the same things wherever it lies: under a system prefix as Fedora
    // Atomic's /var/home, as a prefix itself as root's /root, or inside the temporary folder.
    void sameFindingsWhereverTheHomeLies_data()
    {
        QTest::addColumn<QString>("place");
        QTest::newRow("under a protected prefix") << "above";
        QTest::newRow("the home is a protected prefix") << "home";
        QTest::newRow("the home lies in the temporary folder") << "temporary";
    }
    void sameFindingsWhereverTheHomeLies()
    {
        QFETCH(QString, place);
        ScratchHome scratch;
        scratch.file("home/Documents/old.bin", 2 * MiB, 30);
        scratch.file("home/Downloads/setup.zip", 2 * MiB, 1);
        scratch.file("home/.cache/app/blob.bin", 2 * MiB, 1);
        scratch.file("home/.local/state/app/run.log", 2 * MiB, 1);
        scratch.file("home/.local/state/app/index.db", 2 * MiB, 30);
        scratch.file("home/.ssh/id_ed25519", 2 * MiB, 30);
        scratch.file("home/Videos/clip.mkv", 120 * MiB, 1);
        scratch.file("home/Applications/Game.AppImage", 2 * MiB, 1);
        scratch.file("tmp/render.tmp", 2 * MiB, 1);
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respond("/usr/bin/du", ProcessResult::exited(0, "204800\tGame.AppImage\n"));

        // Nothing of the system's prefixes reaches the scratch folder here, as for a home in /home.
        ScanEnvironment atHome = scratch.linuxEnvironment();
        atHome.protectedPaths.removeIf([&](const QString& prefix) { return scratch.root().startsWith(prefix); });
        const QStringList expected = findings(DiskScanEngine(atHome, runner, nullptr), scratch);
        QCOMPARE(expected, (QStringList{"app: ~/Applications/Game.AppImage: ",
                                        "candidate: tmp/render.tmp: Temporary file",
                                        "candidate: ~/.cache/app/blob.bin: App cache",
                                        "candidate: ~/.local/state/app/run.log: Log file, Temporary file",
                                        "candidate: ~/Documents/old.bin: Unused for 14+ days",
                                        "candidate: ~/Downloads/setup.zip: Large download artifact",
                                        "file: ~/Videos/clip.mkv: ",
                                        "media: ~/Videos/clip.mkv: "}));

        ScanEnvironment elsewhere = atHome;
        QStringList same = expected;
        if (place == "above") {
            elsewhere.protectedPaths.append(scratch.root());
        } else if (place == "home") {
            elsewhere.protectedPaths.append(scratch.home());
        } else {
            // The scratch folder holds no file of its own to find there.
            elsewhere.temporary = scratch.root() + "/";
            same.removeAll("candidate: tmp/render.tmp: Temporary file");
        }
        QCOMPARE(findings(DiskScanEngine(elsewhere, runner, nullptr), scratch), same);
    }

    void anotherUsersFileIsLeftAlone()
    {
        ScratchHome scratch;
        const QString path = scratch.file("home/Documents/theirs.bin", 20 * MiB, 30);
        ScanEnvironment env = scratch.environment();
        env.ownerId = uint(geteuid()) + 1;
        const DiskScanEngine engine(env, std::make_shared<FakeProcessRunner>(), nullptr);
        const DiskScanEngine::HomeFiles found = engine.scanHomeFiles({}, never);
        QVERIFY(found.files.isEmpty() && found.candidates.isEmpty());
        QVERIFY(!engine.admit(path));
    }

    void largestHundredOfHundredAndFifty()
    {
        ScratchHome scratch;
        for (int i = 0; i < 150; ++i)
            scratch.file(QString("home/set%1/file%2.bin").arg(i % 7).arg(i), 10 * MiB + 1 + i * 4096);
        const DiskScanEngine engine(scratch.environment(), std::make_shared<FakeProcessRunner>(), nullptr);
        const QList<FileItem> files = engine.scanHomeFiles({}, never).files;
        QCOMPARE(files.size(), 100);
        QCOMPARE(files.first().size, 10 * MiB + 1 + 149 * 4096);
        QCOMPARE(files.last().size, 10 * MiB + 1 + 50 * 4096);
        for (int i = 1; i < files.size(); ++i)
            QVERIFY(files[i - 1].size > files[i].size);
    }

    void mergeSortedBySize_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("largest first") << QList<qint64>{3, 9, 5} << 5 << QList<int>{1, 2, 0};
        QTest::newRow("ties keep the order found") << QList<qint64>{5, 7, 5, 7, 5} << 5 << QList<int>{1, 3, 0, 2, 4};
        QTest::newRow("later ties fall off at the cut") << QList<qint64>{5, 7, 5, 7, 5} << 3 << QList<int>{1, 3, 0};
        QTest::newRow("no room at all") << QList<qint64>{5, 7} << 0 << QList<int>{};
    }
    void mergeSortedBySize()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(int, limit);
        QFETCH(QList<int>, kept);
        QList<FileItem> list;
        for (int i = 0; i < sizes.size(); ++i)
            DiskScanEngine::mergeSortedBySize(item(QString("/h/%1").arg(i), sizes[i]), limit, list);
        QList<int> order;
        for (const FileItem& entry : list)
            order.append(entry.path.section('/', -1).toInt());
        QCOMPARE(order, kept);
    }

    void cleanupCandidate_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<double>("days");
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<QString>("type");
        const QString home = "/Users/me";
        QTest::newRow("one MiB, however old") << home + "/Documents/x.bin" << MiB << 400.0 << QStringList{} << "";
        QTest::newRow("a byte more and old") << home + "/Documents/x.bin" << MiB + 1 << 15.0
                                             << QStringList{"Unused for 14+ days"} << "cleanup";
        QTest::newRow("cache and old") << home + "/Library/Caches/app/blob" << 2 * MiB << 30.0
                                       << QStringList{"App cache", "Unused for 14+ days"} << "cache";
        QTest::newRow("temporary folder and .tmp give one reason")
            << "/var/folders/xy/T/a.tmp" << 2 * MiB << 0.0 << QStringList{"Temporary file"} << "cleanup";
        QTest::newRow("every reason in order")
            << home + "/Library/Caches/Downloads/Library/Logs/x.log" << 2 * MiB << 30.0
            << QStringList{"App cache", "Log file", "Temporary file", "Unused for 14+ days"} << "cache";
        QTest::newRow("zip directly in Downloads") << home + "/Downloads/x.zip" << 2 * MiB << 0.0
                                                   << QStringList{"Large download artifact"} << "cleanup";
        QTest::newRow("document in Downloads") << home + "/Downloads/x.pdf" << 2 * MiB << 0.0 << QStringList{} << "";
        QTest::newRow("case-sensitive markers") << home + "/library/caches/x" << 2 * MiB << 0.0 << QStringList{} << "";
    }
    void cleanupCandidate()
    {
        QFETCH(QString, path);
        QFETCH(qint64, size);
        QFETCH(double, days);
        QFETCH(QStringList, reasons);
        QFETCH(QString, type);
        const DiskScanEngine engine(ScanEnvironment::originalTable("/Users/me", "/var/folders/xy/T/"), nullptr, nullptr);
        const auto candidate = engine.cleanupCandidate(path.section('/', 3), path, size, days);
        QCOMPARE(candidate ? candidate->reasons : QStringList(), reasons);
        QCOMPARE(candidate ? candidate->type : QString(), type);
        if (candidate)
            QCOMPARE(candidate->daysSinceAccess, days);
    }

    void buildRecommendations_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<double>("days");
        QTest::addColumn<QStringList>("reasons");
        const qint64 GiB = 1024 * MiB;
        QTest::newRow("1.5 GiB directly on the Desktop") << "/Users/me/Desktop/film.mkv" << GiB * 3 / 2 << 1.0
                                                          << QStringList{"Large file in Desktop"};
        QTest::newRow("1.5 GiB one level deeper") << "/Users/me/Desktop/sub/film.mkv" << GiB * 3 / 2 << 1.0
                                                  << QStringList{};
        QTest::newRow("exactly 1 GiB in Downloads") << "/Users/me/Downloads/x.iso" << GiB << 1.0 << QStringList{};
        QTest::newRow("200 MiB .tmp") << "/Users/me/Work/x.tmp" << 200 * MiB << 1.0
                                      << QStringList{"Temp file over 100MB"};
        QTest::newRow("100 MiB .tmp") << "/Users/me/Work/x.tmp" << 100 * MiB << 1.0 << QStringList{};
        QTest::newRow("61.7 days") << "/Users/me/Work/x.bin" << 20 * MiB << 61.7
                                   << QStringList{"Not accessed in 61 days"};
        QTest::newRow("60 days") << "/Users/me/Work/x.bin" << 20 * MiB << 60.0 << QStringList{};
        QTest::newRow("all three") << "/Users/me/Downloads/x.swp" << 2 * GiB << 90.2
                                   << QStringList{"Large file in Downloads", "Temp file over 100MB",
                                                  "Not accessed in 90 days"};
        QTest::newRow("protected") << "/Users/me/Projects/.ssh/x.bin" << 2 * GiB << 90.0 << QStringList{};
    }
    void buildRecommendations()
    {
        QFETCH(QString, path);
        QFETCH(qint64, size);
        QFETCH(double, days);
        QFETCH(QStringList, reasons);
        const DiskScanEngine engine(ScanEnvironment::originalTable("/Users/me", "/var/folders/xy/T/"), nullptr, nullptr);
        const FileItem file = item(path, size, days);
        const QList<FileItem> recommended = engine.buildRecommendations({file}, {});
        QCOMPARE(recommended.size(), reasons.isEmpty() ? 0 : 1);
        if (!reasons.isEmpty()) {
            FileItem expected = file;
            expected.reasons = reasons;
            expected.recommended = true;
            QCOMPARE(recommended.first(), expected);
        }
    }

    void recommendationsListEachPathOnceLargestFirst()
    {
        const DiskScanEngine engine(ScanEnvironment::originalTable("/Users/me", "/var/folders/xy/T/"), nullptr, nullptr);
        const FileItem large = item("/Users/me/Work/old.bin", 20 * MiB, 70);
        const auto sameAsCandidate = engine.cleanupCandidate("Work/old.bin", large.path, large.size, 70);
        const auto smaller = engine.cleanupCandidate("a.log", "/Users/me/a.log", 2 * MiB, 0);
        const auto tie = engine.cleanupCandidate("b.log", "/Users/me/b.log", 2 * MiB, 0);
        QVERIFY(sameAsCandidate && smaller && tie);
        const QList<FileItem> recommended = engine.buildRecommendations({large}, {*smaller, *sameAsCandidate, *tie});
        QCOMPARE(recommended.size(), 3);
        QCOMPARE(recommended[0].id, large.id);
        QCOMPARE(recommended[0].reasons, QStringList{"Not accessed in 70 days"});
        QCOMPARE(recommended[1].path, QString("/Users/me/a.log"));
        QCOMPARE(recommended[2].path, QString("/Users/me/b.log"));
    }

    void foldersAreSizedAsDuCountsThem()
    {
        ScratchHome scratch;
        const auto allocate = [&](const QString& relative, qint64 size) {
            const QString path = scratch.file(relative, 0);
            QFile file(path);
            return file.open(QIODevice::ReadWrite) && fallocate(file.handle(), 0, 0, size) == 0;
        };
        if (!allocate("home/Projects/src/a.bin", 50 * MiB))
            QSKIP("this file system cannot allocate blocks without writing them");
        QVERIFY(allocate("home/Projects/.git/pack.bin", 60 * MiB));
        QVERIFY(allocate("home/Small/a.bin", 90 * MiB));
        QVERIFY(allocate("home/.hidden/a.bin", 101 * MiB));
        QVERIFY(allocate("home/Large/a.bin", 120 * MiB));
        QVERIFY(allocate("home/.Trash/a.bin", 101 * MiB));
        QVERIFY(allocate("home/Library/Caches/a.bin", 101 * MiB));
        QVERIFY(allocate("home/Twice/a.bin", 60 * MiB));
        QVERIFY(::link(QFile::encodeName(scratch.at("home/Twice/a.bin")), QFile::encodeName(scratch.at("home/Twice/b.bin"))) == 0);
        QVERIFY(QFile::link(scratch.at("home/Large"), scratch.at("home/LinkToLarge")));

        const DiskScanEngine engine(scratch.environment(), nullptr, nullptr);
        const QList<FileItem> folders = engine.scanHomeFiles({100, 50, 3}, never).folders;
        QStringList names;
        for (const FileItem& folder : folders)
            names << folder.name;
        QCOMPARE(names, (QStringList{"Large", "Projects", ".hidden"}));
        QCOMPARE(folders.first().type, QString("folder"));
        LinuxProcessRunner du;
        for (const FileItem& folder : folders)
            QCOMPARE(folder.size, DiskUsage::folderSize(du, folder.path));
        QCOMPARE(engine.scanHomeFiles({100, 50, 2}, never).folders.size(), 2);
    }

    // Each entry "path MiB days"; allocated files have real blocks, the others are sparse. Links are
    // "target link", hard ones relative to the scratch folder.
    void parallelWalkFindsWhatTheSerialWalkFinds_data()
    {
        QTest::addColumn<bool>("onLinux");
        QTest::addColumn<QStringList>("sparse");
        QTest::addColumn<QStringList>("allocated");
        QTest::addColumn<QStringList>("hardLinks");
        QTest::addColumn<QStringList>("symbolicLinks");
        QTest::addColumn<QList<int>>("limits");

        QTest::newRow("equal sizes across folders and between them, cut short by the limits")
            << false
            << QStringList{"home/A/a1.bin 12 30", "home/A/a2.mp4 60 0", "home/B/b1.bin 12 30", "home/B/sub/b2.mp4 60 0",
                           "home/x.bin 12 30", "home/y.mov 60 20", "home/C/c1.bin 12 30", "home/C/c2.log 2 0",
                           "home/Downloads/d.zip 3 0", "home/z.log 2 1", "tmp/t.tmp 2 1"}
            << QStringList{} << QStringList{} << QStringList{"home/A home/LinkToA"} << QList<int>{3, 2, 20};
        QTest::newRow("folder sizes with hard links inside one folder and across two")
            << false << QStringList{"home/Q/old.bin 2 90"}
            << QStringList{"home/P/a.bin 60", "home/Q/c.bin 110", "home/R/r.bin 20", "home/S/s.bin 101"}
            << QStringList{"home/P/a.bin home/P/b.bin", "home/Q/c.bin home/R/c.bin"} << QStringList{}
            << QList<int>{100, 50, 20};
        QTest::newRow("hidden, protected and safe folders")
            << true
            << QStringList{"home/.cache/app/blob.bin 2 0", "home/.ssh/id 2 90", "home/.config/app/x.bin 2 90",
                           "home/Library/Caches/x.bin 2 0", "home/Documents/.partial/x.zip 60 0",
                           "home/Documents/report.bin 30 40", "home/.hidden.bin 20 90"}
            << QStringList{} << QStringList{} << QStringList{} << QList<int>{100, 50, 20};
        QTest::newRow("only files directly in the home folder")
            << false << QStringList{"home/a.log 2 0", "home/b.bin 20 0", "home/c.mp4 60 0", "home/d.bin 20 0"}
            << QStringList{} << QStringList{} << QStringList{} << QList<int>{1, 1, 1};
        QTest::newRow("one deep folder") << false << QStringList{"home/D/1/2/3/4/5/6/7/8/9/big.bin 30 90"}
                                         << QStringList{"home/D/1/2/3/blocks.bin 120"} << QStringList{}
                                         << QStringList{} << QList<int>{100, 50, 20};
        QTest::newRow("empty home folder") << false << QStringList{} << QStringList{} << QStringList{}
                                           << QStringList{} << QList<int>{100, 50, 20};
        // Folders below the first level are handed to other threads too: ties, limits and the
        // order of candidates must come out the same across those hand-overs.
        QTest::newRow("one folder holds nearly everything, equal sizes at every depth")
            << false
            << QStringList{"home/T/a.bin 12 30", "home/T/s1/b.bin 12 30", "home/T/s1/t1/c.bin 12 30",
                           "home/T/s2/d.mp4 60 0", "home/T/s2/e.bin 12 30", "home/T/f.bin 12 30",
                           "home/T/s3/u/v/w/g.mp4 60 0", "home/T/s3/h.log 2 0", "home/T/s3/u/i.log 2 0",
                           "home/T/s4/j.bin 12 30", "home/T/s4/k/l.bin 12 30", "home/U/m.bin 12 30",
                           "home/n.bin 12 30", "tmp/o.tmp 2 1"}
            << QStringList{} << QStringList{} << QStringList{} << QList<int>{4, 1, 20};
        QStringList chain;
        QString deep = "home/D";
        for (int level = 0; level < 12; ++level) {
            deep += QString("/%1").arg(level);
            chain << deep + "/same.bin 12 30" << deep + QString("/s%1/side.bin 12 30").arg(level);
        }
        QTest::newRow("a deep chain with a side folder at every level")
            << false << chain << QStringList{} << QStringList{} << QStringList{} << QList<int>{5, 50, 20};
        QTest::newRow("hard links across folders walked apart inside one folder of the home")
            << false << QStringList{}
            << QStringList{"home/H/p/a.bin 60", "home/H/q/r/c.bin 50", "home/H/x/y/z/e.bin 1", "home/H/p/s/t.bin 1",
                           "home/K/k/k.bin 50"}
            << QStringList{"home/H/p/a.bin home/H/q/a.bin", "home/H/q/r/c.bin home/H/p/s/c.bin",
                           "home/H/p/a.bin home/H/x/y/a.bin", "home/H/p/a.bin home/K/a.bin"}
            << QStringList{} << QList<int>{100, 50, 20};
    }
    void parallelWalkFindsWhatTheSerialWalkFinds()
    {
        QFETCH(bool, onLinux);
        QFETCH(QStringList, sparse);
        QFETCH(QStringList, allocated);
        QFETCH(QStringList, hardLinks);
        QFETCH(QStringList, symbolicLinks);
        QFETCH(QList<int>, limits);

        ScratchHome scratch;
        for (const QString& entry : sparse) {
            const QStringList field = entry.split(' ');
            QVERIFY(!scratch.file(field[0], field[1].toLongLong() * MiB, field[2].toDouble()).isEmpty());
        }
        for (const QString& entry : allocated) {
            const QStringList field = entry.split(' ');
            QFile file(scratch.file(field[0], 0, 90));
            if (!file.open(QIODevice::ReadWrite) || fallocate(file.handle(), 0, 0, field[1].toLongLong() * MiB) != 0)
                QSKIP("this file system cannot allocate blocks without writing them");
        }
        for (const QString& entry : hardLinks) {
            const QStringList field = entry.split(' ');
            QVERIFY(::link(QFile::encodeName(scratch.at(field[0])), QFile::encodeName(scratch.at(field[1]))) == 0);
        }
        for (const QString& entry : symbolicLinks) {
            const QStringList field = entry.split(' ');
            QVERIFY(QFile::link(scratch.at(field[0]), scratch.at(field[1])));
        }

        const DiskScanEngine engine(environmentFor(scratch, onLinux), std::make_shared<FakeProcessRunner>(), nullptr);
        const DiskScanEngine::Limits limit{limits[0], limits[1], limits[2]};
        QList<double> serialProgress;
        const DiskScanEngine::HomeFiles serial =
            engine.scanHomeFiles(limit, never, [&](double share) { serialProgress << share; }, 1);
        for (const int threads : {2, 4, 16}) {
            QList<double> progress;
            const DiskScanEngine::HomeFiles parallel =
                engine.scanHomeFiles(limit, never, [&](double share) { progress << share; }, threads);
            QCOMPARE(progress, serialProgress);
            QCOMPARE(withoutIds(parallel.folders), withoutIds(serial.folders));
            QCOMPARE(withoutIds(parallel.files), withoutIds(serial.files));
            QCOMPARE(withoutIds(parallel.media), withoutIds(serial.media));
            QCOMPARE(withoutIds(parallel.candidates), withoutIds(serial.candidates));
        }
    }

    // A walk cancelled at any point still ends, on any number of threads, with the progress never
    // going back or past the whole.
    void cancelledWalkEnds_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("answersBeforeCancel");
        QTest::newRow("before anything, one thread") << 1 << 0;
        QTest::newRow("before anything, sixteen threads") << 16 << 0;
        QTest::newRow("part way, four threads") << 4 << 12;
        QTest::newRow("part way, sixteen threads") << 16 << 6;
        QTest::newRow("near the end, sixteen threads") << 16 << 60;
    }
    void cancelledWalkEnds()
    {
        QFETCH(int, threads);
        QFETCH(int, answersBeforeCancel);
        ScratchHome scratch;
        for (int top = 0; top < 4; ++top) {
            for (int below = 0; below < 6; ++below)
                scratch.file(QString("home/F%1/s%2/t/big.bin").arg(top).arg(below), 30 * MiB, 30);
        }
        const DiskScanEngine engine(scratch.environment(), std::make_shared<FakeProcessRunner>(), nullptr);
        std::atomic<int> answers = 0;
        const DiskScanEngine::Cancelled cancelled = [&] { return answers++ >= answersBeforeCancel; };
        QList<double> progress;
        engine.scanHomeFiles({}, cancelled, [&](double share) { progress << share; }, threads);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QVERIFY(progress.isEmpty() || progress.last() <= 1.0);
    }

    // Each walking thread holds one open folder a level: a deep home is walked whole even where the
    // open-file limit was set lower than that. The limit is the whole process's, and is as it was
    // once the walk has ended.
    void deepFoldersUnderALowOpenFileLimit_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("chains");
        // Open files allowed besides those open before the walk.
        QTest::addColumn<int>("room");
        QTest::newRow("one thread, one chain deeper than the room") << 1 << 1 << 50;
        QTest::newRow("one thread, room for a chain") << 1 << 12 << 300;
        QTest::newRow("twelve threads, room for a chain") << 12 << 12 << 300;
    }
    void deepFoldersUnderALowOpenFileLimit()
    {
        QFETCH(int, threads);
        QFETCH(int, chains);
        QFETCH(int, room);
        constexpr int depth = 150;
        ScratchHome scratch;
        QStringList bottoms;
        for (int chain = 0; chain < chains; ++chain) {
            bottoms << QString("home/chain%1%2/big.bin").arg(chain).arg(QString("/level").repeated(depth));
            QVERIFY(!scratch.file(bottoms.last(), 30 * MiB, 30).isEmpty());
        }

        rlimit before {};
        QVERIFY(getrlimit(RLIMIT_NOFILE, &before) == 0);
        const rlim_t needed = rlim_t(threads) * (depth + 2) + 1024;
        if (before.rlim_max != RLIM_INFINITY && before.rlim_max < needed)
            QSKIP("the hard open-file limit is below what the walk needs");
        const auto open = rlim_t(QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size());
        rlimit low = before;
        low.rlim_cur = open + rlim_t(room);
        QVERIFY(setrlimit(RLIMIT_NOFILE, &low) == 0);
        const DiskScanEngine engine(scratch.environment(), std::make_shared<FakeProcessRunner>(), nullptr);
        rlim_t during = 0;
        const DiskScanEngine::HomeFiles found = engine.scanHomeFiles(
            {}, never,
            [&during](double) {
                rlimit now {};
                getrlimit(RLIMIT_NOFILE, &now);
                during = now.rlim_cur;
            },
            threads);
        rlimit after {};
        QVERIFY(getrlimit(RLIMIT_NOFILE, &after) == 0);
        setrlimit(RLIMIT_NOFILE, &before);
        QVERIFY(during >= needed);
        QCOMPARE(after.rlim_cur, low.rlim_cur);
        for (const QString& bottom : std::as_const(bottoms))
            QVERIFY2(find(found.files, scratch.at(bottom)), qPrintable(bottom.left(20)));
    }

    void scanApplications()
    {
        ScratchHome scratch;
        const QString root = scratch.at("Applications");
        for (int i = 0; i < 12; ++i)
            QDir().mkpath(QString("%1/Tool%2.app").arg(root).arg(i));
        for (const char* bundle : {"Editor.app", "My.app Tools.app", "Exact.app", "Notes.APP"})
            QDir().mkpath(root + "/" + bundle);
        QVERIFY(QFile::link(root + "/Editor.app", root + "/Alias.app"));
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respondWith([](const QString&, const QStringList& arguments) {
            const QString name = arguments.last().section('/', -1);
            const qint64 kib = name == "Exact.app" ? 102400 : name == "Editor.app" ? 900000
                               : name == "My.app Tools.app"                      ? 800000
                                                                                 : 200000;
            return ProcessResult::exited(1, QByteArray::number(kib) + "\t" + name.toUtf8());
        });
        ScanEnvironment env = scratch.environment();
        env.applicationRoots = {root};
        const QList<FileItem> apps = DiskScanEngine(env, runner, nullptr).scanApplications(never);
        QCOMPARE(apps.size(), 10);
        QCOMPARE(apps[0].name, QString("Editor"));
        QCOMPARE(apps[1].name, QString("My Tools"));
        QCOMPARE(apps[1].type, QString("app"));
        QCOMPARE(apps[9].size, qint64(200000) * 1024);
        QCOMPARE(runner->calls().size(), 15);
    }

    void scanApplicationsOnLinux()
    {
        ScratchHome scratch;
        const QString root = scratch.home() + "/Applications";
        scratch.file("home/Applications/Game-2.1.AppImage", 1);
        scratch.file("home/Applications/Tool/tool", 1);
        scratch.file("home/Applications/Editor.app/editor", 1);
        scratch.file("home/Applications/.hidden.AppImage", 1);
        scratch.file("home/Applications/small.AppImage", 1);
        scratch.file("outside/Big.AppImage", 1);
        QVERIFY(QFile::link(scratch.at("outside/Big.AppImage"), root + "/Linked.AppImage"));
        auto runner = std::make_shared<FakeProcessRunner>();
        runner->respondWith([](const QString&, const QStringList& arguments) {
            const QString name = arguments.last().section('/', -1);
            const qint64 kib = name == "small.AppImage" ? 102400 : name == "Tool" ? 300000 : 200000;
            return ProcessResult::exited(0, QByteArray::number(kib) + "\t" + name.toUtf8());
        });
        const QList<FileItem> apps = DiskScanEngine(scratch.linuxEnvironment(), runner, nullptr).scanApplications(never);
        QStringList names;
        for (const FileItem& app : apps)
            names << app.name + " " + app.path.mid(root.size() + 1);
        QCOMPARE(names.value(0), QString("Tool Tool"));
        names.sort();
        QCOMPARE(names, (QStringList{"Editor.app Editor.app", "Game-2.1 Game-2.1.AppImage", "Tool Tool"}));
        QCOMPARE(runner->calls().size(), 4);
    }
};

QM_TEST_MAIN(TestDiskScanEngine)
#include "tst_DiskScanEngine.moc"
