#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

// Points HOME, the XDG folders and the temporary folder of the whole test process at a fresh
// scratch folder before Qt reads them, so no test can touch the real user's files.
class TestEnvironment {
public:
    TestEnvironment()
    {
        const QString root = m_root.path();
        for (const char* sub : {"config", "data", "cache", "state", "tmp", "runtime"})
            QDir(root).mkpath(sub);
        QFile::setPermissions(root + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("HOME", root.toUtf8());
        qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
        qputenv("XDG_CACHE_HOME", (root + "/cache").toUtf8());
        qputenv("XDG_STATE_HOME", (root + "/state").toUtf8());
        qputenv("TMPDIR", (root + "/tmp").toUtf8());
        qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
        qputenv("LC_ALL", "C");
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QString root() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
};

#define QM_TEST_MAIN(TestObject)                                                                             \
    int main(int argc, char* argv[])                                                                         \
    {                                                                                                        \
        TestEnvironment environment;                                                                         \
        QApplication app(argc, argv);                                                                        \
        TestObject test;                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
