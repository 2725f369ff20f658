#include "TestMain.h"
#include "app/SingleInstance.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QtConcurrent/QtConcurrentRun>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

using Claim = SingleInstance::Claim;
using Outcome = InstanceLock::Outcome;

// How long a start waits for a holder that never listens.
constexpr auto kShortPatience = 300ms;

// A lock file as the lock files of earlier versions read: the holder's pid, name and host.
void writeLockNaming(const QString& path, qint64 pid)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(pid) + "\nquillmarsh\n" + QSysInfo::machineHostName().toUtf8() + '\n');
}

// A process's hold on a file, through a description of its own, as another process's hold looks
// to the code under test.
class Hold {
public:
    explicit Hold(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
    ~Hold()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool lock() const { return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0; }

private:
    const int m_fd;
};

struct stat statusOf(const QString& path)
{
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

bool isPrivateFile(const QString& path)
{
    const struct stat status = statusOf(path);
    return S_ISREG(status.st_mode) && (status.st_mode & 07777) == 0600 && status.st_uid == ::geteuid();
}

QStringList setAside(const QString& folder)
{
    return QDir(folder).entryList({"instance.lock.unreadable-*"}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // The running instance listens once its window is on its way; a start before that keeps
    // trying until it does.
    void aSecondStartHandsOverToTheFirst_data()
    {
        QTest::addColumn<bool>("listenFirst");
        QTest::newRow("the first listening") << true;
        QTest::newRow("the first not listening yet") << false;
    }

    void aSecondStartHandsOverToTheFirst()
    {
        QFETCH(bool, listenFirst);
        QTemporaryDir home;
        const QString folder = home.filePath("Quillmarsh");
        auto first = std::make_unique<SingleInstance>(folder);
        QCOMPARE(first->claim(), Claim::Running);
        QVERIFY(isPrivateFile(first->lockPath()));
        QSignalSpy asked(first.get(), &SingleInstance::activationRequested);
        if (listenFirst)
            first->listen();

        QFuture<Claim> second = QtConcurrent::run([folder] { return SingleInstance(folder).claim(); });
        if (!listenFirst)
            first->listen();
        QTRY_VERIFY(second.isFinished());
        QCOMPARE(second.result(), Claim::HandedOver);
        QTRY_COMPARE(asked.count(), 1);
        SingleInstance third(folder);
        QCOMPARE(third.claim(), Claim::HandedOver);
        QTRY_COMPARE(asked.count(), 2);

        // Once the first has gone, the next start is the running one.
        first.reset();
        SingleInstance next(folder);
        QCOMPARE(next.claim(), Claim::Running);
    }

    // A start waiting for an answer from a holder on its way out becomes the running instance.
    void aStartWaitingForAQuittingHolderTakesOver()
    {
        QTemporaryDir home;
        const QString folder = home.filePath("Quillmarsh");
        auto first = std::make_unique<SingleInstance>(folder);
        QCOMPARE(first->claim(), Claim::Running);
        QFuture<Claim> second = QtConcurrent::run([folder] { return SingleInstance(folder, 1min).claim(); });
        first.reset();
        QTRY_VERIFY(second.isFinished());
        QCOMPARE(second.result(), Claim::Running);
    }

    // Two starts released at the same instant on a fresh home, each in a process of its own:
    // exactly one holds the lock, every time.
    void twoStartsAtOnceLeaveOneHolder()
    {
        QTemporaryDir home;
        for (int round = 0; round < 200; ++round) {
            const QString folder = home.filePath(QString("home-%1/Quillmarsh").arg(round));
            int go[2], results[2], done[2];
            QVERIFY(::pipe2(go, O_CLOEXEC) == 0 && ::pipe2(results, O_CLOEXEC) == 0 && ::pipe2(done, O_CLOEXEC) == 0);
            pid_t children[2];
            for (pid_t& child : children) {
                child = ::fork();
                QVERIFY(child >= 0);
                if (child == 0) {
                    for (int fd : {go[1], results[0], done[1]})
                        ::close(fd);
                    char byte = 0;
                    [[maybe_unused]] ssize_t ignored = ::read(go[0], &byte, 1);
                    InstanceLock lock(folder);
                    const char outcome = char('0' + int(lock.acquire()));
                    ignored = ::write(results[1], &outcome, 1);
                    // Each keeps what it got until both have told.
                    ignored = ::read(done[0], &byte, 1);
                    ::_exit(0);
                }
            }
            QCOMPARE(::write(go[1], "gg", 2), ssize_t(2));
            char outcomes[2] = {};
            for (char& outcome : outcomes)
                QCOMPARE(::read(results[0], &outcome, 1), ssize_t(1));
            QCOMPARE(::write(done[1], "dd", 2), ssize_t(2));
            for (const pid_t child : children) {
                int status = 0;
                QCOMPARE(::waitpid(child, &status, 0), child);
            }
            for (int fd : {go[0], go[1], results[0], results[1], done[0], done[1]})
                ::close(fd);
            const QByteArray held = QByteArray(outcomes, 2);
            QVERIFY2(held.count(char('0' + int(Outcome::Held))) == 1
                         && held.count(char('0' + int(Outcome::Taken))) == 1,
                     qPrintable(QString("round %1: outcomes %2").arg(round).arg(QString::fromLatin1(held))));
        }
    }

    // What an earlier instance, an earlier version or a run as another user may have left in the
    // folder.
    void leftoversInTheFolder_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<Claim>("claimed");
        QTest::addColumn<bool>("movedAside");
        QTest::addColumn<Claim>("later"); // what a later start gets
        QTest::newRow("nothing") << "" << Claim::Running << false << Claim::HandedOver;
        // What a lock names is not read: a dead holder, or one whose pid this very process now has
        // (each start in a pid namespace of its own), holds nothing.
        QTest::newRow("lock of a killed instance") << "killed" << Claim::Running << false << Claim::HandedOver;
        QTest::newRow("lock naming this process") << "this pid" << Claim::Running << false << Claim::HandedOver;
        QTest::newRow("lock cut short") << "empty" << Claim::Running << false << Claim::HandedOver;
        QTest::newRow("lock readable to all") << "0644" << Claim::Running << false << Claim::HandedOver;
        QTest::newRow("lock and socket of a killed instance")
            << "killed socket" << Claim::Running << false << Claim::HandedOver;
        // A holder that never listens: the start must say so rather than quietly go.
        QTest::newRow("lock held by a process that does not answer") << "held" << Claim::NoAnswer << false
                                                                     << Claim::NoAnswer;
        // A file this user may not open, as a run with sudo leaves it; as root it is opened.
        QTest::newRow("lock this user may not open") << "0000" << Claim::Running << (::geteuid() != 0)
                                                     << Claim::HandedOver;
        QTest::newRow("folder in place of the lock") << "folder" << Claim::Running << true << Claim::HandedOver;
        QTest::newRow("link in place of the lock") << "link" << Claim::Running << true << Claim::HandedOver;
        // Something holds what stands there; it is not moved from under its holder.
        QTest::newRow("folder in place of the lock, held") << "held folder" << Claim::NoAnswer << false
                                                           << Claim::NoAnswer;
        QTest::newRow("file in place of the data folder") << "file folder" << Claim::Undecided << false
                                                          << Claim::Undecided;
        // Nothing can listen at the socket's path, so later starts cannot reach this one.
        QTest::newRow("socket path taken by a folder") << "socket folder" << Claim::Running << false
                                                       << Claim::NoAnswer;
    }
    void leftoversInTheFolder()
    {
        QFETCH(QString, left);
        QFETCH(Claim, claimed);
        QFETCH(bool, movedAside);
        QFETCH(Claim, later);
        QTemporaryDir home;
        const QString folder = home.filePath("Quillmarsh");
        QVERIFY(QDir().mkpath(folder));
        SingleInstance instance(folder, kShortPatience);
        const QString lock = instance.lockPath();
        const QString linked = home.filePath("elsewhere");

        std::unique_ptr<Hold> hold;
        if (left.startsWith("killed")) {
            QProcess killed;
            killed.start("sleep", {"30"});
            QVERIFY(killed.waitForStarted());
            writeLockNaming(lock, killed.processId());
            killed.kill();
            QVERIFY(killed.waitForFinished());
        } else if (left == "this pid") {
            writeLockNaming(lock, QCoreApplication::applicationPid());
        } else if (left == "empty" || left == "held") {
            QVERIFY(QFile(lock).open(QIODevice::WriteOnly));
        } else if (left == "0644" || left == "0000") {
            writeLockNaming(lock, 1);
            QVERIFY(::chmod(QFile::encodeName(lock).constData(), left == "0644" ? 0644 : 0) == 0);
        } else if (left == "folder" || left == "held folder") {
            QVERIFY(QDir().mkpath(lock));
            QVERIFY(QFile(lock + "/kept").open(QIODevice::WriteOnly));
        } else if (left == "link") {
            QVERIFY(QFile(linked).open(QIODevice::WriteOnly));
            QVERIFY(::chmod(QFile::encodeName(linked).constData(), 0444) == 0);
            QVERIFY(QFile::link(linked, lock));
        } else if (left == "file folder") {
            QVERIFY(QDir(folder).removeRecursively());
            QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
        }
        if (left.startsWith("held")) {
            hold = std::make_unique<Hold>(lock);
            QVERIFY(hold->lock());
        }
        if (left == "killed socket")
            QVERIFY(QFile(instance.socketPath()).open(QIODevice::WriteOnly));
        else if (left == "socket folder")
            QVERIFY(QDir().mkpath(instance.socketPath()));
        if (left == "socket folder")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Later starts cannot reach this instance"));
        if (movedAside)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not serve as the instance lock"));

        QCOMPARE(instance.claim(), claimed);
        QCOMPARE(setAside(folder).size(), movedAside ? 1 : 0);
        if (claimed != Claim::Running) {
            // Said in words, naming what stands in the way.
            QVERIFY2(instance.problem().contains(lock), qPrintable(instance.problem()));
            if (left == "held folder")
                QVERIFY(QFileInfo::exists(lock + "/kept"));
            return;
        }
        QVERIFY(instance.problem().isEmpty());
        QVERIFY(isPrivateFile(lock));
        if (movedAside && left == "folder")
            QVERIFY(QFileInfo::exists(folder + "/" + setAside(folder).constFirst() + "/kept"));
        if (left == "link")
            QCOMPARE(statusOf(linked).st_mode & 07777, 0444u);
        instance.listen();
        // The instance that took over is the one a later start reaches.
        QSignalSpy asked(&instance, &SingleInstance::activationRequested);
        QCOMPARE(SingleInstance(folder, kShortPatience).claim(), later);
        if (later == Claim::HandedOver)
            QTRY_COMPARE(asked.count(), 1);
    }

    // An uninstall removes the whole folder before the application quits: quitting has nothing to
    // say about it, and the next start, made before or after that quit, is the one later starts reach.
    void theFolderRemovedUnderTheRunningInstance_data()
    {
        QTest::addColumn<bool>("startBeforeQuit");
        QTest::addColumn<bool>("longFolder"); // the socket then lies in the runtime folder
        QTest::newRow("next start after the quit") << false << false;
        QTest::newRow("next start while it quits") << true << false;
        QTest::newRow("next start while it quits, socket in the runtime folder") << true << true;
    }
    void theFolderRemovedUnderTheRunningInstance()
    {
        QFETCH(bool, startBeforeQuit);
        QFETCH(bool, longFolder);
        QTemporaryDir home;
        const QString folder = home.filePath(longFolder ? QString(120, u'q') + "/Quillmarsh" : QString("Quillmarsh"));
        QTest::failOnWarning(QRegularExpression(".*"));
        auto uninstalled = std::make_unique<SingleInstance>(folder, kShortPatience);
        QCOMPARE(uninstalled->socketPath().startsWith(folder), !longFolder);
        QCOMPARE(uninstalled->claim(), Claim::Running);
        uninstalled->listen();
        QVERIFY(QDir(folder).removeRecursively());

        auto next = std::make_unique<SingleInstance>(folder, kShortPatience);
        if (!startBeforeQuit)
            uninstalled.reset();
        QCOMPARE(next->claim(), Claim::Running);
        next->listen();
        uninstalled.reset();
        QSignalSpy asked(next.get(), &SingleInstance::activationRequested);
        QCOMPARE(SingleInstance(folder, kShortPatience).claim(), Claim::HandedOver);
        QTRY_COMPARE(asked.count(), 1);
    }
};

QM_TEST_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
