#pragma once

#include "Defaults.h"
#include "Locked.h"

#include <QVariantMap>

// Defaults held in memory, for tests that inspect or pre-set keys.
class FakeDefaults final : public Defaults {
public:
    QVariant value(const QString& key) const override { return m_values.get().value(key); }
    bool setValue(const QString& key, const QVariant& value) override
    {
        if (!isStorable(value))
            return false;
        m_values.with([&](QVariantMap& values) { values.insert(key, value); });
        return !m_writesFail;
    }
    void remove(const QString& key) override
    {
        m_values.with([&](QVariantMap& values) { values.remove(key); });
    }
    bool setAside(const QStringList& keys) override
    {
        m_values.with([&](QVariantMap& values) {
            m_asideValues.with([&](QVariantMap& aside) {
                for (const QString& key : keys) {
                    if (values.contains(key))
                        aside.insert(key, values.take(key));
                }
            });
        });
        return true;
    }
    bool removeDomain() override
    {
        ++m_domainRemovals;
        if (m_domainRemovalFails)
            return false;
        m_values.set({});
        return true;
    }
    // Makes removeDomain() keep every key and report the failure.
    void setDomainRemovalFails(bool fails) { m_domainRemovalFails = fails; }
    // Makes setValue() keep the value in memory only and report that it could not be kept.
    void setWritesFail(bool fail) { m_writesFail = fail; }

    QVariantMap all() const { return m_values.get(); }
    // The values setAside() took out.
    QVariantMap asideValues() const { return m_asideValues.get(); }
    int domainRemovals() const { return m_domainRemovals; }

private:
    Locked<QVariantMap> m_values;
    Locked<QVariantMap> m_asideValues;
    std::atomic<int> m_domainRemovals = 0;
    std::atomic<bool> m_domainRemovalFails = false;
    std::atomic<bool> m_writesFail = false;
};
