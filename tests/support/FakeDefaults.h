#pragma once

#include "Defaults.h"

#include <QMutex>
#include <QVariantMap>

// Defaults held in memory, for tests that inspect or pre-set keys.
class FakeDefaults final : public Defaults {
public:
    QVariant value(const QString& key) const override
    {
        QMutexLocker lock(&m_mutex);
        return m_values.value(key);
    }
    void setValue(const QString& key, const QVariant& value) override
    {
        if (!isStorable(value))
            return;
        QMutexLocker lock(&m_mutex);
        m_values.insert(key, value);
    }
    void remove(const QString& key) override
    {
        QMutexLocker lock(&m_mutex);
        m_values.remove(key);
    }
    bool removeDomain() override
    {
        QMutexLocker lock(&m_mutex);
        ++m_domainRemovals;
        if (m_domainRemovalFails)
            return false;
        m_values.clear();
        return true;
    }
    // Makes removeDomain() keep every key and report the failure.
    void setDomainRemovalFails(bool fails) { m_domainRemovalFails = fails; }

    QVariantMap all() const
    {
        QMutexLocker lock(&m_mutex);
        return m_values;
    }
    int domainRemovals() const { return m_domainRemovals; }

private:
    mutable QMutex m_mutex;
    QVariantMap m_values;
    int m_domainRemovals = 0;
    bool m_domainRemovalFails = false;
};
