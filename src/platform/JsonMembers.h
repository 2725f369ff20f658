#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

// The members of a JSON object told apart by its outline alone: strings, brackets, colons and
// commas. A member whose value the JSON parser refuses (garbage, nesting deeper than it goes) is
// still found, with its bytes as they stand, so that a reader can keep the others.
namespace JsonMembers {

struct Member {
    QByteArray key;   // as written, quotes and escapes included
    QByteArray value; // as written, from its first byte to its last
};

// Nothing when the text is not one object whose members can be told apart (an unterminated
// string, unbalanced brackets, bytes after the end).
std::optional<QList<Member>> split(QByteArrayView text);

} // namespace JsonMembers
