#include "AtomicFile.h"
#include "FolderRefusal.h"
#include "Paths.h"
#include "TestMain.h"
#include "assistant/APIKeyStore.h"
#include "linux/JsonFileDefaults.h"
#include "storage/AppSettings.h"
#include "storage/SecureLocalStore.h"
#include "storage/SettingsStore.h"
#include "storage/StoredFolders.h"
#include "tuning/GameProfileFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int modeOf(const QString& path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

void removeEntry(const QString& path)
{
    QVERIFY(path.startsWith(QDir::homePath() + "/"));
    if (!QFile::remove(path))
        QDir(path).removeRecursively();
}

QString dataFolder()
{
    return StoredFolders::paths().at(0);
}

QString settingsFolder()
{
    return StoredFolders::paths().at(1);
}

} // namespace

class TestStoredFolders : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        const QStringList left =
            StoredFolders::paths() + QStringList{QDir::homePath() + "/dotfiles", QDir::homePath() + "/anothers"};
        for (const QString& path : left)
            removeEntry(path);
        // A row may leave a file where the settings folder's parent belongs.
        const QString parent = QFileInfo(settingsFolder()).path();
        if (QFileInfo(parent).isFile())
            QVERIFY(QFile::remove(parent));
        QVERIFY(QDir().mkpath(parent));
    }

    void theFoldersAreThoseOfTheStoredFiles()
    {
        QCOMPARE(dataFolder(), Paths::applicationSupport());
        QCOMPARE(settingsFolder() + "/defaults.json", Paths::defaultsFile());
    }

    // What the start's window says, from the refusal and the names of the users alone.
    void refusalText_data()
    {
        using Reason = FolderRefusal::Reason;
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QString>("command"); // the line it ends with; empty when it offers none
        QTest::newRow("root's folder after a run with sudo")
            << int(Reason::OwnedByAnother) << "/home/alice/.local/share/Quillmarsh" << "" << "root" << "alice"
            << QStringList{"/home/alice/.local/share/Quillmarsh", "belongs to root, not to alice"}
            << "sudo chown -R alice: /home/alice/.local/share/Quillmarsh";
        QTest::newRow("a folder whose path the shell would split")
            << int(Reason::OwnedByAnother) << "/home/bob/My Data/it's/Quillmarsh" << "" << "root" << "bob"
            << QStringList{"/home/bob/My Data/it's/Quillmarsh", "belongs to root"}
            << "sudo chown -R bob: '/home/bob/My Data/it'\\''s/Quillmarsh'";
        QTest::newRow("a user without a name")
            << int(Reason::OwnedByAnother) << "/srv/home/.config/Quillmarsh" << "" << "0" << "1001"
            << QStringList{"belongs to 0, not to 1001"} << "sudo chown -R 1001: /srv/home/.config/Quillmarsh";
        QTest::newRow("a link to a folder of another user")
            << int(Reason::LinkToAnothersFolder) << "/home/alice/.config/Quillmarsh" << "/srv/shared" << "bob"
            << "alice" << QStringList{"/home/alice/.config/Quillmarsh", "link to /srv/shared", "belongs to bob"} << "";
        QTest::newRow("a link to nothing")
            << int(Reason::LinkToNothing) << "/home/alice/.config/Quillmarsh" << "/media/usb/Quillmarsh" << ""
            << "alice"
            << QStringList{"/home/alice/.config/Quillmarsh", "link to /media/usb/Quillmarsh", "does not exist"} << "";
        QTest::newRow("a link to a file")
            << int(Reason::NotAFolder) << "/home/alice/.config/Quillmarsh" << "/home/alice/notes" << "alice"
            << "alice" << QStringList{"link to /home/alice/notes", "not a folder"} << "";
        QTest::newRow("a file") << int(Reason::NotAFolder) << "/home/alice/.config/Quillmarsh" << "" << "alice"
                                << "alice" << QStringList{"/home/alice/.config/Quillmarsh", "not a folder"} << "";
    }
    void refusalText()
    {
        QFETCH(int, reason);
        QFETCH(QString, folder);
        QFETCH(QString, target);
        QFETCH(QString, owner);
        QFETCH(QString, user);
        QFETCH(QStringList, says);
        QFETCH(QString, command);
        const QString text = FolderRefusal{FolderRefusal::Reason(reason), folder, target, 0, EPERM}.text(owner, user);
        for (const QString& part : says)
            QVERIFY2(text.contains(part), qPrintable(text));
        QCOMPARE(text.contains("chown"), !command.isEmpty());
        if (!command.isEmpty())
            QVERIFY2(text.endsWith("\n" + command), qPrintable(text));
    }

    void aFolderThatCannotBeMadeSaysWhy()
    {
        const QString text = FolderRefusal{FolderRefusal::Reason::Failed, "/home/alice/.config/Quillmarsh", "", 0,
                                           EACCES}
                                 .text("root", "alice");
        QCOMPARE(text, QString("Quillmarsh cannot make its folder /home/alice/.config/Quillmarsh: permission denied."));
    }

    // Both folders as links into a dotfiles folder: the links stay, their targets keep the mode the
    // user gave them while what is made in them is private, and the settings, the setup flag, the
    // profiles and the keys are written and read through them.
    void linkedFoldersAreFollowed()
    {
        const QString dotfiles = QDir::homePath() + "/dotfiles";
        for (const char* sub : {"/data", "/config"}) {
            QVERIFY(QDir().mkpath(dotfiles + sub));
            QVERIFY(::chmod(QFile::encodeName(dotfiles + sub).constData(), 0755) == 0);
        }
        QVERIFY(QDir().mkpath(QFileInfo(dataFolder()).path()) && QDir().mkpath(QFileInfo(settingsFolder()).path()));
        QVERIFY(QFile::link(dotfiles + "/data", dataFolder()));
        QVERIFY(QFile::link(dotfiles + "/config", settingsFolder()));

        AppSettings settings;
        settings.autoOptimize = true;
        GameProfile profile;
        profile.id = "minecraft";
        profile.name = "Minecraft";
        profile.frameLimit = 144;
        const auto machine = [] { return QStringLiteral("machine"); };
        for (int start = 0; start < 2; ++start) {
            QCOMPARE(StoredFolders::prepare(), QString());
            JsonFileDefaults defaults(Paths::defaultsFile());
            SecureLocalStore secure(defaults, dataFolder() + "/.secure");
            GameProfileFile profiles(dataFolder() + "/game_profiles.json");
            APIKeyStore keys(dataFolder() + "/.ai", machine);
            if (start == 0) {
                QVERIFY(secure.writeSecure(SettingsStore::settingsKey, settings.toJson()));
                QVERIFY(secure.writeSecure(SecureLocalStore::setupCompleteKey, "true"));
                QVERIFY(profiles.save({profile}));
                QVERIFY(keys.save("sk-stored-key", AIProvider::groq));
                continue;
            }
            const auto stored = secure.readSecure(SettingsStore::settingsKey).value_or("");
            QCOMPARE(AppSettings::fromJson(stored).value_or(AppSettings()), settings);
            QVERIFY(secure.isSetupComplete());
            QCOMPARE(profiles.load().value_or(QList<GameProfile>()), QList<GameProfile>{profile});
            QCOMPARE(keys.load(AIProvider::groq).value_or(QString()), QString("sk-stored-key"));
        }
        QCOMPARE(QFileInfo(dataFolder()).symLinkTarget(), dotfiles + "/data");
        QCOMPARE(QFileInfo(settingsFolder()).symLinkTarget(), dotfiles + "/config");
        for (const char* sub : {"/data", "/config"})
            QCOMPARE(modeOf(dotfiles + sub), 0755);
        for (const char* made : {"/data/.secure", "/data/.ai"})
            QCOMPARE(modeOf(dotfiles + made), 0700);
        QStringList made{dotfiles + "/data/game_profiles.json", dotfiles + "/config/defaults.json"};
        for (const char* sub : {"/data/.secure/", "/data/.ai/"}) {
            for (const QString& name : QDir(dotfiles + sub).entryList(QDir::Files | QDir::Hidden))
                made.append(dotfiles + sub + name);
        }
        QCOMPARE(made.size(), 5);
        for (const QString& file : made)
            QCOMPARE(modeOf(file), 0600);
        QVERIFY(QFileInfo::exists(dotfiles + "/data/game_profiles.json"));
        QVERIFY(QFileInfo::exists(dotfiles + "/config/defaults.json"));
        QVERIFY(QDir(dotfiles + "/data/.secure").entryList({"*.unreadable-*"}, QDir::AllEntries).isEmpty());
    }

    // Every folder that cannot be used is named in the one window, and none is made or changed
    // when one of them cannot be used.
    void everyRefusedFolderIsNamedBeforeAnyIsMade_data()
    {
        QTest::addColumn<QString>("data");     // what stands at the data folder
        QTest::addColumn<QString>("settings"); // what stands at the settings folder
        QTest::newRow("both another user's") << "another's"
                                             << "another's";
        QTest::newRow("the settings folder's parent a file") << "nothing"
                                                             << "parent a file";
        QTest::newRow("nothing and a link to nowhere") << "nothing"
                                                       << "nowhere";
    }
    void everyRefusedFolderIsNamedBeforeAnyIsMade()
    {
        QFETCH(QString, data);
        QFETCH(QString, settings);
        if ((data == "another's" || settings == "another's") && ::geteuid() != 0)
            QSKIP("Only root can leave a folder of another user's in the home");
        const QString parent = QFileInfo(settingsFolder()).path();
        QStringList named;
        for (const auto& [stands, folder] :
             {std::pair{data, dataFolder()}, std::pair{settings, settingsFolder()}}) {
            QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
            if (stands == "another's") {
                QVERIFY(QDir().mkpath(folder) &&
                        ::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
                named.append(folder);
            } else if (stands == "nowhere") {
                QVERIFY(QFile::link(QDir::homePath() + "/nowhere", folder));
                named.append(folder);
            } else if (stands == "parent a file") {
                QVERIFY(QDir(parent).removeRecursively() && AtomicFile::write(parent, "the user's file"));
                named.append(folder);
            }
        }
        const QString dataBefore =
            QFileInfo(dataFolder()).exists() ? QString::number(modeOf(dataFolder())) : "none";

        const QString text = StoredFolders::prepare();
        for (const QString& folder : named)
            QVERIFY2(text.contains(folder), qPrintable(text));
        QCOMPARE(text.split("Quillmarsh cannot").size() - 1, named.size());
        QCOMPARE(QFileInfo(dataFolder()).exists() ? QString::number(modeOf(dataFolder())) : "none",
                 dataBefore);
    }

    // A folder that cannot be followed or used is refused, named and left exactly as it is.
    void refusedFoldersAreNamedAndLeft_data()
    {
        QTest::addColumn<bool>("settings"); // the settings folder, else the data folder
        QTest::addColumn<QString>("stands");
        QTest::addColumn<QString>("says");
        for (const bool settings : {false, true}) {
            const char* which = settings ? "settings" : "data";
            QTest::addRow("%s: a link to nowhere", which) << settings << "nowhere" << "does not exist";
            QTest::addRow("%s: a link to a file", which) << settings << "file" << "not a folder";
            QTest::addRow("%s: a link to another user's folder", which)
                << settings << "link to another's" << "belongs to";
            QTest::addRow("%s: another user's folder", which) << settings << "another's" << "sudo chown -R";
        }
    }
    void refusedFoldersAreNamedAndLeft()
    {
        QFETCH(bool, settings);
        QFETCH(QString, stands);
        QFETCH(QString, says);
        const bool root = ::geteuid() == 0;
        if (stands == "another's" && !root)
            QSKIP("Only root can leave a folder of another user's in the home");
        const QString folder = settings ? settingsFolder() : dataFolder();
        QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
        // Only root can make a folder of another user's; anyone else links to one of the system's.
        QString anothers = "/";
        if (root) {
            anothers = stands == "another's" ? folder : QDir::homePath() + "/anothers";
            QVERIFY(QDir().mkpath(anothers) && ::chown(QFile::encodeName(anothers).constData(), 65534, 65534) == 0);
        }
        const QString file = QDir::homePath() + "/notes";
        QVERIFY(AtomicFile::write(file, "the user's notes"));
        const QString target = stands == "nowhere" ? QDir::homePath() + "/nowhere" : stands == "file" ? file : anothers;
        if (stands != "another's")
            QVERIFY(QFile::link(target, folder));
        const int targetMode = modeOf(target);

        const QString text = StoredFolders::prepare();
        QVERIFY2(text.contains(folder) && text.contains(says), qPrintable(text));
        if (stands == "another's")
            QVERIFY2(text.endsWith(" " + FolderRefusal::userName(::geteuid()) + ": " + folder), qPrintable(text));
        else
            QVERIFY2(text.contains(target), qPrintable(text));
        QCOMPARE(QFileInfo(folder).isSymLink(), stands != "another's");
        QCOMPARE(modeOf(target), targetMode);
        QVERIFY(!QFileInfo::exists(QDir::homePath() + "/nowhere"));
        QCOMPARE(QFile(file).size(), qint64(16));
        removeEntry(file);
    }
};

QM_TEST_MAIN(TestStoredFolders)
#include "tst_StoredFolders.moc"
