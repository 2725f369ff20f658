#pragma once

#include "Locked.h"
#include "StoragePlaces.h"

// Storage places that tests set; by default the Linux places of `home` with /usr and /opt for
// the installed software.
class FakeStoragePlaces final : public StoragePlaces {
public:
    explicit FakeStoragePlaces(const QString& home)
        : m_places(QList<StoragePlace>{{"Applications", {"/usr", "/opt", home + "/Applications"}},
                                       {"System Cache", {home + "/.cache"}},
                                       {"Logs", {home + "/.local/state"}},
                                       {"Downloads", {home + "/Downloads"}},
                                       {"Desktop", {home + "/Desktop"}},
                                       {"Documents", {home + "/Documents"}},
                                       {"Movies", {home + "/Videos"}},
                                       {"Music", {home + "/Music"}},
                                       {"Pictures", {home + "/Pictures"}}})
    {
    }

    QList<StoragePlace> places() const override { return m_places.get(); }
    void setPlaces(QList<StoragePlace> places) { m_places.set(std::move(places)); }

private:
    Locked<QList<StoragePlace>> m_places;
};
