#pragma once

#include <QString>

// One entry of a provider's model menu: the identifier sent to the provider, its menu label and a
// short tag shown beside the label.
struct AIModelOption {
    QString id;
    QString name;
    QString note;

    friend bool operator==(const AIModelOption&, const AIModelOption&) = default;
};
