#pragma once

#include "InterfaceCounters.h"
#include "Locked.h"

// Counters that tests set; the listing and the fallback can each be made to fail.
class FakeInterfaceCounters final : public InterfaceCounters {
public:
    Listing list() override { return m_listing.get(); }
    std::optional<Totals> fallbackTotals() override { return m_fallback.get(); }

    void setEntries(QList<Entry> entries) { m_listing.set({Listing::Failure::None, 0, std::move(entries)}); }
    void setListingFailure(Listing::Failure failure, int errorNumber) { m_listing.set({failure, errorNumber, {}}); }
    void setFallback(std::optional<Totals> totals) { m_fallback.set(totals); }

private:
    Locked<Listing> m_listing;
    Locked<std::optional<Totals>> m_fallback;
};
