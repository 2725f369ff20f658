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
    TestEnvironment() { point(); }
    // The scratch folder inside `base` rather than the system's temporary folder.
    explicit TestEnvironment(const QString& base) : m_root(base + "/qm-scratch-XXXXXX") { point(); }
    QString root() const { return m_root.path(); }

private:
    void point()
    {
        const QString root = m_root.path();
        for (const auto& [variable, sub] : {std::pair{"HOME", ""}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"},
                                            {"XDG_CACHE_HOME", "/cache"}, {"XDG_STATE_HOME", "/state"},
                                            {"TMPDIR", "/tmp"}, {"XDG_RUNTIME_DIR", "/runtime"}}) {
            QDir().mkpath(root + sub);
            qputenv(variable, (root + sub).toUtf8());
        }
        QFile::setPermissions(root + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("LC_ALL", "C");
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

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
