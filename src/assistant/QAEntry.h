#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One row of the assistant's question table.
struct QAEntry {
    qint64 id = 0;
    QString question;
    QStringList keywords;
    QString answer;

    // A JSON array of objects with "id" (an integer), "question", "keywords" (texts) and "answer";
    // nothing when any element lacks a member or has one of the wrong kind.
    static std::optional<QList<QAEntry>> listFromJson(const QByteArray& json);
};
