#pragma once

#include "Defaults.h"

#include <QMutex>
#include <QVariantMap>

// Defaults kept in one JSON file, rewritten atomically (and privately) after every change; setting a
// value to what is stored is no change. A file the user keeps as a link stays one.
// Each value is written as a one-key object naming its kind, {"integer": 3}, {"data": "<base64>"},
// so that kinds JSON cannot tell apart survive the round trip. A file that cannot be read as one
// object, or is larger than maxFileBytes, is moved aside, never written over, and one line on the
// error output names the copy. A value that does not decode (an unknown kind, garbage, nesting
// deeper than the parser goes) or is larger than maxValueBytes is set aside alone, as the bytes it
// had in the file, as the file is read, and the others stay in use; the file loses that member and
// keeps every other byte.
class JsonFileDefaults final : public Defaults {
public:
    // The largest values stored are an assistant provider's settings and a copy of an application
    // setting, each refused above 1 MB (1.4 MB in base64), and the Background Freeze record as far
    // as its recovery reads it (4096 processes, under 200 kB a key). A larger value is damaged or
    // planted: it is set aside as the file is read, so that later starts do not read it again.
    static constexpr qint64 maxValueBytes = 2 * 1024 * 1024;
    // A real file holds a few kilobytes; this leaves room for a value at the bound for each of
    // those keys and still parses in a fraction of a second. A larger file is not read at all:
    // it would hold the start for seconds and take gigabytes.
    static constexpr qint64 maxFileBytes = 16 * 1024 * 1024;

    explicit JsonFileDefaults(QString filePath);

    QVariant value(const QString& key) const override;
    bool setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    // The values go, as a defaults file of their own, under the name an unreadable file is moved
    // to, beside this one.
    bool setAside(const QStringList& keys) override;
    bool removeDomain() override;

    QString filePath() const { return m_filePath; }

private:
    void load();
    bool parse(QByteArray contents);
    // `members`: the text of a JSON object, or of the outline of one.
    bool keepAside(const QByteArray& members) const;
    bool save();

    const QString m_filePath;
    mutable QMutex m_mutex;
    QVariantMap m_values;
    // Whether the file holds m_values: a value set again after a failed write is written.
    bool m_saved = true;
};
