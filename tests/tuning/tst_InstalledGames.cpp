#include "PlantedFile.h"
#include "TestMain.h"
#include "linux/LinuxInstalledApplications.h"
#include "linux/SteamLibraries.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/InstalledGameScanner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

using Application = InstalledApplications::Application;

namespace {

// A home with desktop entries in the user's, the system's and flatpak's folders, and Steam
// installed under both of its names with a second library on another disk.
struct Machine {
    QTemporaryDir dir;

    QString path(const QString& relative) const { return dir.filePath(relative); }
    void write(const QString& relative, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void entry(const QString& relative, const QByteArray& name, const QByteArray& exec, const QByteArray& extra = {}) const
    {
        write(relative, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra);
    }
    void manifest(const QString& library, const QByteArray& id, const QByteArray& name) const
    {
        write(library + "/steamapps/appmanifest_" + id + ".acf",
              "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id + "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"" + name
                  + "\"\n\t\"StateFlags\"\t\t\"4\"\n\t\"UserConfig\"\n\t{\n\t\t\"name\"\t\t\"not this\"\n\t}\n}\n");
    }

    Machine()
    {
        entry("user/minecraft-launcher.desktop", "Minecraft Launcher", "/opt/minecraft/minecraft-launcher");
        entry("user/valve-portal2.desktop", "Portal 2", "steam steam://rungameid/620");
        entry("user/hidden.desktop", "Hidden Game", "/opt/hidden", "Hidden=true\n");
        entry("user/editor.desktop", "Text Editor", "\"/opt/my editor/edit\" %U", "[Desktop Action new]\nName=New\n");
        entry("system/minecraft-launcher.desktop", "Shadowed", "/opt/other/launcher");
        entry("system/steam.desktop", "Steam", "/usr/games/steam %U");
        // Found by its program alone.
        entry("system/games/rpg.desktop", "Larian Toolkit", "env WINEPREFIX=/x \"/opt/larian/baldur's gate 3\"");
        write("system/link.desktop", "[Desktop Entry]\nType=Link\nName=Minecraft Wiki\nURL=https://example.org\n");
        entry("flatpak/com.example.Chess.desktop", "Chess",
              "/usr/bin/flatpak run --branch=stable --arch=x86_64 com.example.Chess");
        entry("flatpak/com.mojang.Launcher.desktop", "minecraft launcher", "/usr/bin/flatpak run com.mojang.Launcher");

        const QString steam = "home/.local/share/Steam";
        QDir().mkpath(path("home/.steam"));
        QFile::link(path(steam), path("home/.steam/steam"));
        write(steam + "/steamapps/libraryfolders.vdf",
              "// written by Steam\n\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + path(steam).toUtf8()
                  + "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"620\"\t\t\"123\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\""
                  + path("disk/Steam Library").toUtf8() + "\"\n\t\t\"label\"\t\t\"\"\n\t}\n\t\"2\"\n\t{\n\t\t\"path\"\t\t\""
                  + path("gone").toUtf8() + "\"\n\t}\n}\n");
        manifest(steam, "620", "Portal 2");
        manifest(steam, "228980", "Steamworks Common Redistributables");
        write(steam + "/steamapps/appmanifest_1.acf", "\"AppState\"\n{\n\t\"appid\"\t\"1\"\n}\n");
        manifest("disk/Steam Library", "1086940", "Baldur's Gate 3");
        manifest("disk/Steam Library", "275850", "No Man's Sky");
        // The old listing names a library by a numbered key.
        write("old/steamapps/libraryfolders.vdf",
              "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1\"\n\t\"1\"\t\"" + path("disk/Steam Library").toUtf8()
                  + "\"\n\t\"2\"\t\"" + path("old disk").toUtf8() + "\"\n}\n");
        manifest("old disk", "1091500", "Cyberpunk 2077");
    }

    QList<Application> applications(const QStringList& steamRoots) const
    {
        return LinuxInstalledApplications({path("user"), path("system"), path("flatpak")}, steamRoots).list();
    }
};

QList<Application> sorted(QList<Application> applications)
{
    std::sort(applications.begin(), applications.end(),
              [](const Application& a, const Application& b) { return a.identifier < b.identifier; });
    return applications;
}

} // namespace

Q_DECLARE_METATYPE(QList<Application>)

class TestInstalledGames : public QObject {
    Q_OBJECT
private slots:
    void applications_data()
    {
        QTest::addColumn<QStringList>("steamRoots");
        QTest::addColumn<QList<Application>>("steamGames");
        QTest::newRow("both names of one installation")
            << QStringList{"home/.steam/steam", "home/.local/share/Steam"}
            << QList<Application>{{"Steamworks Common Redistributables", "steam:228980", ""},
                                  {"Baldur's Gate 3", "steam:1086940", ""},
                                  {"No Man's Sky", "steam:275850", ""}};
        QTest::newRow("an old listing") << QStringList{"old"}
                                        << QList<Application>{{"Baldur's Gate 3", "steam:1086940", ""},
                                                              {"No Man's Sky", "steam:275850", ""},
                                                              {"Cyberpunk 2077", "steam:1091500", ""}};
        QTest::newRow("no Steam") << QStringList{"nowhere"} << QList<Application>{};
    }
    void applications()
    {
        QFETCH(QStringList, steamRoots);
        QFETCH(QList<Application>, steamGames);
        Machine machine;
        QStringList roots;
        for (const QString& root : steamRoots)
            roots.append(machine.path(root));
        const QList<Application> found = machine.applications(roots);
        QCOMPARE(sorted(found), sorted(m_entries + steamGames));
        // The desktop entries come first.
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            QVERIFY2(m_entries.contains(found[i]), qPrintable(found[i].name));
    }

    void games_data()
    {
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QStringList>("programs");
        QTest::newRow("a preset found by name") << "com.mojang.minecraft" << QStringList{"minecraft-launcher"};
        QTest::newRow("a preset found by program") << "com.valve.steam" << QStringList{"steam"};
        // Steam starts its games itself, so the Steam game adds no program; the toolkit's entry does.
        QTest::newRow("a Steam game") << "com.larian.baldursgate3" << QStringList{"baldur's gate 3"};
        QTest::newRow("a desktop-file id") << "editor" << QStringList{"edit"};
        QTest::newRow("a flatpak") << "com.example.Chess" << QStringList{};
        QTest::newRow("not installed") << "com.neowiz.liesofp" << QStringList{};
    }
    void games()
    {
        QFETCH(QString, bundle);
        QFETCH(QStringList, programs);
        Machine machine;
        const QList<Application> applications = machine.applications({machine.path("home/.steam/steam")});
        QCOMPARE(InstalledGameScanner::programsOf(bundle, applications, GameProfilePresets::all()), programs);
        QStringList games = InstalledGameScanner::scan(applications, GameProfilePresets::all());
        games.sort();
        QCOMPARE(games, (QStringList{"Baldur's Gate 3", "Larian Toolkit", "Minecraft Launcher",
                                     "No Man's Sky", "Steam", "Steamworks Common Redistributables"}));
    }

    // Steam's files are its own: one that cannot be read as a file is skipped and left as it is.
    void unusableSteamFilesAreSkippedAndLeft_data()
    {
        QTest::addColumn<PlantedFile::Kind>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("appIds");
        const QStringList everything{"228980", "620", "1086940", "275850"};
        for (const auto& [name, kind] : {std::pair{"named pipe", PlantedFile::Kind::Pipe},
                                         {"link to /dev/zero", PlantedFile::Kind::LinkToZero},
                                         {"folder", PlantedFile::Kind::Folder},
                                         {"ten times the bound", PlantedFile::Kind::TenTimesTheBound}}) {
            QTest::addRow("library list, %s", name) << kind << "libraryfolders.vdf" << QStringList{"228980", "620"};
            QTest::addRow("manifest, %s", name) << kind << "appmanifest_9.acf" << everything;
        }
    }
    void unusableSteamFilesAreSkippedAndLeft()
    {
        QFETCH(PlantedFile::Kind, kind);
        QFETCH(QString, file);
        QFETCH(QStringList, appIds);
        Machine machine;
        const QString path = machine.path("home/.local/share/Steam/steamapps/" + file);
        QFile::remove(path);
        QVERIFY(PlantedFile::plant(path, kind, SteamLibraries::maxFileBytes));
        const QString planted = PlantedFile::describe(path);
        QStringList found;
        for (const SteamLibraries::Game& game : SteamLibraries::games({machine.path("home/.steam/steam")}))
            found.append(game.appId);
        QCOMPARE(found, appIds);
        QCOMPARE(PlantedFile::describe(path), planted);
        QVERIFY(PlantedFile::asideCopies(path).isEmpty());
    }

    void pairs_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("pairs");
        QTest::newRow("nested blocks") << QByteArray("\"a\" { \"b\" \"1\" \"c\" { \"d\" \"2\" } \"e\" \"3\" }")
                                       << QStringList{"1 b=1", "2 d=2", "1 e=3"};
        QTest::newRow("escapes and comments")
            << QByteArray("// note\n\"k\\\"ey\" \"C:\\\\games\\\\x\" // after\n\"t\" \"a\\tb\"")
            << QStringList{"0 k\"ey=C:\\games\\x", "0 t=a\tb"};
        QTest::newRow("unquoted words") << QByteArray("key value\n\"other\"\t\"v\"") << QStringList{"0 key=value",
                                                                                                   "0 other=v"};
        QTest::newRow("unbalanced and cut short") << QByteArray("} } \"a\" { \"b\" \"unterminated")
                                                  << QStringList{"1 b=unterminated"};
    }
    void pairs()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, pairs);
        QStringList read;
        for (const SteamLibraries::Pair& pair : SteamLibraries::readPairs(text))
            read.append(QString::number(pair.depth) + ' ' + pair.key + '=' + pair.value);
        QCOMPARE(read, pairs);
    }

private:
    // What the desktop entries give.
    static const inline QList<Application> m_entries = {
        {"Minecraft Launcher", "minecraft-launcher", "minecraft-launcher"},
        {"Portal 2", "steam:620", ""},
        {"Text Editor", "editor", "edit"},
        {"Steam", "steam", "steam"},
        {"Larian Toolkit", "games-rpg", "baldur's gate 3"},
        {"Chess", "com.example.Chess", ""},
    };
};

QM_TEST_MAIN(TestInstalledGames)
#include "tst_InstalledGames.moc"
