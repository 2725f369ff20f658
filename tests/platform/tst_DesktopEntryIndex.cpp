#include "TestMain.h"
#include "linux/DesktopEntryIndex.h"

namespace {

void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray entry(const QByteArray& name, const QByteArray& exec, const QByteArray& extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra;
}

} // namespace

class TestDesktopEntryIndex : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString bin = m_dir.filePath("bin");
        QDir().mkpath(bin);
        for (const char* tool : {"steam", "game space", "player", "hidden", "link", "first", "quoted"}) {
            write(bin + '/' + tool, "#!/bin/sh\n");
            QFile::setPermissions(bin + '/' + tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QVERIFY(QFile::link(bin + "/player", bin + "/player-link"));
        qputenv("PATH", bin.toUtf8() + ":/usr/bin:/bin");

        const QString user = m_dir.filePath("user");
        const QString system = m_dir.filePath("system");
        write(user + "/steam.desktop", entry("Steam", "steam %U"));
        write(system + "/kde/org.acme.Player.desktop", entry("Player", bin.toUtf8() + "/player-link --fullscreen"));
        write(system + "/spaced.desktop", entry("Game Space", "\"" + bin.toUtf8() + "/game space\" -x"));
        write(system + "/env.desktop", entry("Quoted", "env FOO=1 BAR=2 quoted %f"));
        write(system + "/hidden.desktop", entry("Hidden", "hidden", "Hidden=true\n"));
        write(system + "/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nExec=link\n");
        write(system + "/actions.desktop",
              "[Desktop Action New]\nName=Shadow\nExec=first\n[Desktop Entry]\nType=Application\nName=First\n"
              "Exec=first\n");
        // The same id in a later folder is shadowed by the user's own.
        write(system + "/steam.desktop", entry("System Steam", "steam"));
        m_index.emplace(QStringList{user, system});
    }

    void forExecutable_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::newRow("found through PATH") << "bin/steam" << "steam" << "Steam";
        QTest::newRow("id from a nested folder, link resolved") << "bin/player" << "kde-org.acme.Player" << "Player";
        QTest::newRow("quoted program with a blank") << "bin/game space" << "spaced" << "Game Space";
        QTest::newRow("env with assignments") << "bin/quoted" << "env" << "Quoted";
        QTest::newRow("action groups are not the entry") << "bin/first" << "actions" << "First";
        QTest::newRow("hidden entries are left out") << "bin/hidden" << "" << "";
        QTest::newRow("links are not applications") << "bin/link" << "" << "";
        QTest::newRow("unknown program") << "bin/none" << "" << "";
    }

    void forExecutable()
    {
        QFETCH(QString, executable);
        QFETCH(QString, id);
        QFETCH(QString, name);
        // The kernel reports executables with every link resolved.
        const QString canonical = QFileInfo(m_dir.filePath(executable)).canonicalFilePath();
        const auto found = m_index->forExecutable(canonical.isEmpty() ? m_dir.filePath(executable) : canonical);
        QCOMPARE(found ? found->id : QString(), id);
        QCOMPARE(found ? found->name : QString(), name);
    }

    void forFile()
    {
        const auto nested = m_index->forFile(m_dir.filePath("system/kde/org.acme.Player.desktop"));
        QVERIFY(nested);
        QCOMPARE(nested->id, "kde-org.acme.Player");
        QCOMPARE(nested->name, "Player");

        write(m_dir.filePath("elsewhere/com.acme.Game.desktop"), entry("Acme Game", "/opt/acme/game"));
        const auto outside = m_index->forFile(m_dir.filePath("elsewhere/com.acme.Game.desktop"));
        QVERIFY(outside);
        QCOMPARE(outside->id, "com.acme.Game");

        QVERIFY(!m_index->forFile(m_dir.filePath("system/link.desktop")));
        QVERIFY(!m_index->forFile(m_dir.filePath("missing.desktop")));
        QVERIFY(!m_index->forFile("/etc/passwd"));
    }

private:
    QTemporaryDir m_dir;
    std::optional<DesktopEntryIndex> m_index;
};

QM_TEST_MAIN(TestDesktopEntryIndex)
#include "tst_DesktopEntryIndex.moc"
