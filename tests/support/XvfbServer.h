#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

// An Xvfb of the test's own on a display number no other server holds, ended with this object.
// It never resets when its last client leaves. isRunning() is false, and errorString() says why,
// when Xvfb is not installed or did not start.
class XvfbServer {
public:
    XvfbServer()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            m_error = QStringLiteral("Xvfb is not installed");
            return;
        }
        // Another server may take a number between the look and the start: then the next one.
        for (int number = 300 + getpid() % 600, tries = 0; tries < 20; ++number, ++tries) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))
                || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            if (start(program, number))
                return;
        }
    }
    ~XvfbServer()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    QString errorString() const { return m_error; }
    // As in $DISPLAY.
    QByteArray display() const { return m_display; }
    qint64 processId() const { return m_server.processId(); }

private:
    bool start(const QString& program, int number)
    {
        m_server.setProgram(program);
        m_server.setArguments({QStringLiteral(":%1").arg(number), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                               QStringLiteral("640x480x24")});
        m_server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start();
        if (!m_server.waitForStarted(5000)) {
            m_error = m_server.errorString();
            return false;
        }
        // The socket shows once the server takes clients; a server that lost the race ends.
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
        for (int waited = 0; waited < 15000 && m_server.state() == QProcess::Running; waited += 20) {
            if (QFile::exists(socket)) {
                m_display = ":" + QByteArray::number(number);
                return true;
            }
            QThread::msleep(20);
        }
        m_error = QString::fromLocal8Bit(m_server.readAll()).simplified();
        m_server.kill();
        m_server.waitForFinished(5000);
        return false;
    }

    QProcess m_server;
    QByteArray m_display;
    QString m_error;
};
