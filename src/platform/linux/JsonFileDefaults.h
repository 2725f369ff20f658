#pragma once

#include "Defaults.h"

#include <QMutex>
#include <QVariantMap>

// Defaults kept in one JSON file, rewritten atomically (and privately) after every change.
// Each value is written as a one-key object naming its kind, {"integer": 3}, {"data": "<base64>"},
// so that kinds JSON cannot tell apart survive the round trip. A file that cannot be read as such
// is moved aside, never written over.
class JsonFileDefaults final : public Defaults {
public:
    explicit JsonFileDefaults(QString filePath);

    QVariant value(const QString& key) const override;
    bool setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    bool removeDomain() override;

    QString filePath() const { return m_filePath; }

private:
    void load();
    bool save();

    const QString m_filePath;
    mutable QMutex m_mutex;
    QVariantMap m_values;
};
