#include "TestMain.h"
#include "assistant/APIKeyStore.h"
#include "linux/JsonFileDefaults.h"
#include "linux/MangoHudOverlay.h"
#include "storage/SecureLocalStore.h"
#include "tuning/GameProfileFile.h"
#include "tuning/GameProfilePresets.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

int modeOf(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

// One kind of file the application stores: where it lies, and a value written and read back
// through the store's own code.
struct Store {
    QString path;
    std::function<bool(int)> write;
    std::function<QString()> read;
};

} // namespace

// A stored file the user keeps as a link (stow links single files into a dotfiles folder) stays a
// link: each save replaces the file it leads to, in that file's folder and with that file's mode.
// Only a regular file of the user's is written through, and one holding a secret only when no one
// else may read it; every other link is set aside or replaced, and what it leads to is left as
// it was.
class TestLinkedStoredFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_root;
    QString m_data;
    std::optional<JsonFileDefaults> m_mirror;
    std::optional<SecureLocalStore> m_secure;

    Store store(const QString& name)
    {
        const QString defaultsFile = m_data + "/defaults.json";
        if (name == "defaults")
            return {defaultsFile, [=](int n) { return JsonFileDefaults(defaultsFile).setValue("k", n); },
                    [=] { return QString::number(JsonFileDefaults(defaultsFile).integer("k").value_or(-1)); }};
        if (name == "secure value")
            return {m_secure->secureFileURL("k"), [this](int n) { return m_secure->writeSecure("k", QByteArray::number(n)); },
                    [this] { return QString::fromLatin1(m_secure->readSecure("k").value_or("-1")); }};
        if (name == "profiles") {
            const QString file = m_data + "/profiles.json";
            return {file,
                    [=](int n) {
                        auto profiles = GameProfilePresets::all();
                        profiles.first().frameLimit = n;
                        return GameProfileFile(file).save(profiles);
                    },
                    [=] {
                        const auto profiles = GameProfileFile(file).load();
                        return QString::number(profiles ? profiles->first().frameLimit : -1);
                    }};
        }
        if (name == "AI key") {
            const auto keys = std::make_shared<APIKeyStore>(m_data + "/.ai", [] { return QStringLiteral("machine"); });
            return {keys->fileURL(AIProvider::mistral),
                    [=](int n) { return keys->save("sk-" + QString::number(n), AIProvider::mistral); },
                    [=] { return keys->load(AIProvider::mistral).value_or("-1").mid(3); }};
        }
        // The record of the games' HUD files: a run that finds one of an earlier run's files in it
        // takes that file back first.
        const QString record = m_data + "/mangohud_files.json";
        const QString folder = m_root.filePath("MangoHud");
        return {record,
                [=](int n) {
                    MangoHudOverlay overlay({folder, [] { return true; }, [n](const QStringList&) {
                                                 return QHash<QString, QStringList>{{"game", {"prog" + QString::number(n)}}};
                                             },
                                             record});
                    return overlay.writeHUD("game", true) == GameOverlay::HUDWrite::Done;
                },
                [=] {
                    const QStringList files = QDir(folder).entryList({"*.conf"});
                    const QStringList recorded = QJsonDocument::fromJson(contents(record)).object().keys();
                    return files == recorded && files.size() == 1 ? files.first().mid(4).chopped(5) : files.join(',');
                }};
    }

private slots:
    void init()
    {
        QVERIFY(m_root.isValid());
        m_data = m_root.filePath("data");
        QVERIFY(QDir().mkpath(m_data + "/.ai") && QDir().mkpath(m_root.filePath("dotfiles")));
        m_mirror.emplace(m_root.filePath("mirror.json"));
        m_secure.emplace(*m_mirror, m_data + "/.secure");
        QVERIFY(m_secure->ensureSecureDirectory());
    }
    void cleanup()
    {
        m_secure.reset();
        m_mirror.reset();
        QVERIFY(QDir(m_root.path()).removeRecursively());
        QVERIFY(QDir().mkpath(m_root.path()));
    }

    void linkStaysALinkWhereItLeadsToAFileOfTheUsers_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target"); // what the link leads to
        QTest::addColumn<bool>("kept");      // whether it stays a link, written through
        // The AI settings are written as defaults, the settings as a secure value.
        const QStringList secrets{"secure value", "AI key"};
        for (const QString& kind : QStringList{"defaults", "secure value", "profiles", "AI key", "MangoHud record"}) {
            const QByteArray row = kind.toUtf8() + ", a link to ";
            QTest::newRow(row + "a file of the user's alone") << kind << "0600" << true;
            QTest::newRow(row + "a file others may read") << kind << "0644" << !secrets.contains(kind);
            QTest::newRow(row + "nothing") << kind << "nothing" << false;
            QTest::newRow(row + "a folder") << kind << "folder" << false;
            QTest::newRow(row + "another user's file") << kind << "another's" << false;
        }
    }
    void linkStaysALinkWhereItLeadsToAFileOfTheUsers()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(bool, kept);
        const Store stored = store(kind);
        QVERIFY(stored.write(0));
        // The user's copy is the file the application wrote, moved into the dotfiles folder.
        QString end = m_root.filePath("dotfiles/" + QFileInfo(stored.path).fileName());
        if (target == "0600" || target == "0644") {
            QVERIFY(QFile::rename(stored.path, end));
            QVERIFY(::chmod(QFile::encodeName(end).constData(), target.toUInt(nullptr, 8)) == 0);
        } else {
            QVERIFY(QFile::remove(stored.path));
            // Nothing of the first write is left to be taken back.
            QVERIFY(QDir(m_root.filePath("MangoHud")).removeRecursively());
            if (target == "folder") {
                QVERIFY(QDir().mkpath(end));
            } else if (target == "another's") {
                // Only root can make a file of another user's; anyone else links to one of the system's.
                if (::geteuid() == 0) {
                    QVERIFY(QFile(end).open(QIODevice::WriteOnly)
                            && ::chown(QFile::encodeName(end).constData(), 65534, 65534) == 0);
                } else {
                    end = "/etc/passwd";
                }
            }
        }
        QVERIFY(QFile::link(end, stored.path));
        const QByteArray before = contents(end);
        const int mode = modeOf(end);

        for (int n : {1, 2}) {
            QVERIFY(stored.write(n));
            QCOMPARE(stored.read(), QString::number(n));
        }
        QCOMPARE(QFileInfo(stored.path).isSymLink(), kept);
        QCOMPARE(modeOf(end), mode);
        if (kept) {
            QVERIFY(contents(end) != before);
            QCOMPARE(QDir(m_root.filePath("dotfiles")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{QFileInfo(end).fileName()});
            return;
        }
        QCOMPARE(contents(end), before);
        QCOMPARE(QFileInfo::exists(end), target != "nothing");
        if (QFileInfo(stored.path).exists())
            QCOMPARE(modeOf(stored.path), 0600);
    }
};

QM_TEST_MAIN(TestLinkedStoredFiles)
#include "tst_LinkedStoredFiles.moc"
