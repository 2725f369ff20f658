#include "AtomicFile.h"
#include "FolderRefusal.h"
#include "LinkedFile.h"
#include "Paths.h"
#include "TestMain.h"
#include "assistant/APIKeyStore.h"
#include "linux/JsonFileDefaults.h"
#include "storage/AppSettings.h"
#include "storage/SecureLocalStore.h"
#include "storage/SettingsStore.h"
#include "storage/StoredFolders.h"
#include "tuning/GameProfileFile.h"

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
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

QString realPath(const QString& path)
{
    char resolved[PATH_MAX];
    return ::realpath(QFile::encodeName(path).constData(), resolved) ? QFile::decodeName(resolved) : QString();
}

// A group with a member besides this user: nobody's own.
std::optional<gid_t> sharedGroup()
{
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody || nobody->pw_uid == ::geteuid() || ::getpwuid(::geteuid())->pw_gid == nobody->pw_gid)
        return std::nullopt;
    return nobody->pw_gid;
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

    // A link is followed only when every link on the way is the user's (or root's) and stands in a
    // folder no one else may write; then it leads where the kernel goes. Any other link is taken for
    // a file that cannot serve: it is set aside and the value is saved in its place, and what it
    // leads to is left as it was. A linked stored folder that others may write is not used at all.
    void linksAreFollowedOnlyWhereTheUserMadeThem_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("store");   // the defaults file read and written, in the home
        QTest::addColumn<QString>("reaches"); // where the resolver says it leads, in the home
        QTest::addColumn<QString>("lands");   // where a saved value is found, in the home; empty: none
        QTest::addColumn<QString>("refused"); // what the start's window says; empty: nothing
        const QString stored = "config/Quillmarsh/defaults.json";
        QTest::newRow("the user's own link in the user's folder")
            << "own" << stored << "dotfiles/defaults.json" << "dotfiles/defaults.json" << "";
        QTest::newRow("a link owned by another user")
            << "another's link" << stored << "" << stored << "";
        QTest::newRow("a folder link owned by another user")
            << "another's folder link" << stored << "" << "" << "through " + QDir::homePath() + "/config";
        QTest::newRow("in a folder with group write of a shared group")
            << "shared group" << "team/defaults.json" << "" << "team/defaults.json" << "";
        QTest::newRow("in a folder with other write and the sticky bit")
            << "sticky" << "open/defaults.json" << "" << "open/defaults.json" << "";
        QTest::newRow("a relative .. link through a folder link")
            << "relative" << stored << "dotfiles/real/shared/defaults.json" << "dotfiles/real/shared/defaults.json"
            << "";
        QTest::newRow("a chain ending in nothing") << "nothing" << stored << "dotfiles/missing" << stored << "";
        QTest::newRow("a linked stored folder that others may write")
            << "open folder" << stored << "open/defaults.json" << ""
            << "chmod go-w " + QDir::homePath() + "/open";
    }
    void linksAreFollowedOnlyWhereTheUserMadeThem()
    {
        QFETCH(QString, setup);
        QFETCH(QString, store);
        QFETCH(QString, reaches);
        QFETCH(QString, lands);
        QFETCH(QString, refused);
        const bool root = ::geteuid() == 0;
        if (setup.contains("another's") && !root)
            QSKIP("Only root can make a link of another user's");
        const auto shared = sharedGroup();
        if (setup == "shared group" && !shared)
            QSKIP("Only root can give a folder a group with another member");
        const QString home = QDir::homePath() + "/";
        for (const char* left : {"team", "open", "config/shared"}) {
            if (QFileInfo(home + left).exists())
                removeEntry(home + left);
        }
        const auto native = [&](const QString& path) { return QFile::encodeName(home + path); };
        const auto link = [&](const QString& target, const QString& at) {
            QVERIFY(QDir().mkpath(QFileInfo(home + at).path()) && QFile::link(target, home + at));
        };
        const auto folder = [&](const QString& path, mode_t mode) {
            QVERIFY(QDir().mkpath(home + path) && ::chmod(native(path).constData(), mode) == 0);
        };
        const QByteArray precious = R"({"k":{"integer":1}})";
        const QStringList kept{"dotfiles/defaults.json", "dotfiles/real/shared/defaults.json", "config/shared/defaults.json"};
        for (const QString& file : kept) {
            QVERIFY(QDir().mkpath(QFileInfo(home + file).path()));
            QVERIFY(AtomicFile::write(home + file, precious));
        }
        if (setup == "own" || setup == "another's link") {
            link(home + "dotfiles/defaults.json", store);
            if (setup == "another's link")
                QVERIFY(::lchown(native(store).constData(), 4343, 4343) == 0);
        } else if (setup == "another's folder link") {
            folder("dotfiles/config", 0755);
            link(home + "dotfiles/config", "config/Quillmarsh");
            QVERIFY(::lchown(native("config/Quillmarsh").constData(), 4343, 4343) == 0);
        } else if (setup == "shared group" || setup == "sticky") {
            folder(QFileInfo(store).path(), setup == "sticky" ? 01777 : 02775);
            if (setup == "shared group")
                QVERIFY(::chown(native("team").constData(), ::geteuid(), *shared) == 0);
            link(home + "dotfiles/defaults.json", store);
        } else if (setup == "relative") {
            folder("dotfiles/real/Quillmarsh", 0755);
            link(home + "dotfiles/real/Quillmarsh", "config/Quillmarsh");
            link("../shared/defaults.json", store);
        } else if (setup == "nothing") {
            link(home + "dotfiles/first", store);
            link(home + "dotfiles/missing", "dotfiles/first");
        } else if (setup == "open folder") {
            folder("open", 0757);
            link(home + "open", "config/Quillmarsh");
        }
        if (!reaches.isEmpty()) {
            QCOMPARE(LinkedFile::reach(home + store).path, home + reaches);
            // The kernel makes a file where the chain ends in nothing, and a real path is realpath's.
            const bool made = !QFileInfo::exists(home + store) && QFile(home + store).open(QIODevice::WriteOnly);
            QCOMPARE(realPath(home + store), home + reaches);
            if (made)
                QVERIFY(QFile::remove(home + reaches));
        } else {
            QCOMPARE(LinkedFile::reach(home + store).error, EPERM);
        }
        const int modeBefore = modeOf(home + "open");

        const QString text = StoredFolders::prepare();
        QVERIFY2(refused.isEmpty() ? text.isEmpty() : text.contains(refused), qPrintable(text));
        if (refused.isEmpty())
            QVERIFY(JsonFileDefaults(home + store).setValue("k", 2));
        if (!lands.isEmpty())
            QCOMPARE(JsonFileDefaults(home + lands).integer("k"), 2);
        for (const QString& file : kept) {
            if (file != lands)
                QCOMPARE(QFileInfo(home + file).size(), qint64(precious.size()));
        }
        QVERIFY(!QFileInfo::exists(home + "dotfiles/missing"));
        if (setup == "open folder")
            QCOMPARE(modeOf(home + "open"), modeBefore);
        QVERIFY(!QFileInfo::exists(home + "open/defaults.json") || setup == "sticky");
        // What was not followed is kept aside as it stood, a link.
        const QFileInfoList aside = QDir(QFileInfo(home + store).path()).entryInfoList({"defaults.json.unreadable-*"},
                                                                                      QDir::AllEntries | QDir::System);
        const bool setAside = lands == store && setup != "nothing";
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside)
            QVERIFY(aside.first().isSymLink());
    }

    // Over random trees of folders, files and links, absolute and relative, every path leads where
    // realpath(3) says, or, when the chain ends in nothing, where the kernel makes the file.
    void resolvesAsTheKernelDoes()
    {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(QFileInfo(dir.path()).canonicalFilePath());
        QRandomGenerator random(54);
        const QByteArrayList names{"a", "b", "c", "..", "."};
        const auto randomPath = [&](int length) {
            QByteArrayList parts;
            for (int i = 0; i < length; ++i)
                parts.append(names.at(random.bounded(i + 1 == length ? 3 : 5)));
            return parts.join('/');
        };
        int compared = 0;
        for (int tree = 0; tree < 200; ++tree) {
            // Deep enough that no `..` climbs out of the temporary folder.
            const QByteArray top = base + "/t" + QByteArray::number(tree) + QByteArray("/n").repeated(8);
            QVERIFY(QDir().mkpath(QFile::decodeName(top)));
            for (int entry = 0; entry < 12; ++entry) {
                const QByteArray at = top + '/' + randomPath(1 + random.bounded(3));
                switch (random.bounded(4)) {
                case 0:
                    ::mkdir(at.constData(), 0700);
                    break;
                case 1:
                    ::close(::open(at.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600));
                    break;
                default: {
                    const QByteArray target = randomPath(1 + random.bounded(4));
                    ::symlink((random.bounded(3) == 0 ? top + '/' + target : target).constData(), at.constData());
                }
                }
            }
            for (int query = 0; query < 8; ++query) {
                const QString path = QFile::decodeName(top + '/' + randomPath(1 + random.bounded(4)));
                const LinkedFile::Place place = LinkedFile::reach(path);
                QString kernel = realPath(path);
                if (kernel.isEmpty()) {
                    const int made = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0600);
                    if (made >= 0) {
                        ::close(made);
                        kernel = realPath(path);
                        QVERIFY(::unlink(QFile::encodeName(kernel).constData()) == 0);
                    }
                }
                QVERIFY2(place.reached() == !kernel.isEmpty(), qPrintable(path + " reached: " + place.path));
                if (!kernel.isEmpty()) {
                    QCOMPARE(place.path, kernel);
                    ++compared;
                }
            }
        }
        QVERIFY(compared > 300);
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
        QTest::newRow("a linked folder of the user's that others may write")
            << int(Reason::OpenToOthers) << "/home/alice/.config/Quillmarsh" << "/home/alice/My Team" << "alice"
            << "alice" << QStringList{"/home/alice/.config/Quillmarsh", "users other than alice may change"}
            << "chmod go-w '/home/alice/My Team'";
        QTest::newRow("behind a link in a folder of another user's that others may write")
            << int(Reason::OpenToOthers) << "/home/alice/.config/Quillmarsh" << "/srv/team" << "bob" << "alice"
            << QStringList{"users other than alice may change", "through /srv/team", "only you may write"} << "";
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
        QCOMPARE(text.contains("\n\n"), !command.isEmpty());
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
