#pragma once

#include "InterfaceCounters.h"

#include <QMutex>

// Counters that tests set; the listing and the fallback can each be made to fail.
class FakeInterfaceCounters final : public InterfaceCounters {
public:
    Listing list() override
    {
        QMutexLocker lock(&m_mutex);
        return m_listing;
    }
    std::optional<Totals> fallbackTotals() override
    {
        QMutexLocker lock(&m_mutex);
        return m_fallback;
    }

    void setEntries(QList<Entry> entries)
    {
        QMutexLocker lock(&m_mutex);
        m_listing = Listing{Listing::Failure::None, 0, std::move(entries)};
    }
    void setListingFailure(Listing::Failure failure, int errorNumber)
    {
        QMutexLocker lock(&m_mutex);
        m_listing = Listing{failure, errorNumber, {}};
    }
    void setFallback(std::optional<Totals> totals)
    {
        QMutexLocker lock(&m_mutex);
        m_fallback = totals;
    }

private:
    QMutex m_mutex;
    Listing m_listing;
    std::optional<Totals> m_fallback;
};
