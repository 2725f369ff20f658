#pragma once

#include <QByteArray>
#include <QString>

// What became of one child process run to completion.
struct ProcessResult {
    enum class Outcome {
        Exited,        // ran and exited on its own; exitCode holds its status
        FailedToStart, // no such program, not executable, or the system refused
        TimedOut,      // still running when its time was up; it was killed
        Crashed,       // ended by a signal
    };

    Outcome outcome = Outcome::FailedToStart;
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
    // The system's description of why the program could not be started; empty otherwise. Initialised
    // so that aggregate initialisations may leave it out.
    QString errorString = {};

    bool started() const { return outcome != Outcome::FailedToStart; }
    bool succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
    QString outputText() const { return QString::fromUtf8(standardOutput); }

    static ProcessResult exited(int code, QByteArray out = {}, QByteArray err = {})
    {
        return {Outcome::Exited, code, std::move(out), std::move(err)};
    }
    static ProcessResult notStarted(QString error = QStringLiteral("No such file or directory"))
    {
        ProcessResult result;
        result.errorString = std::move(error);
        return result;
    }
};
