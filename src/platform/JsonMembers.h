#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

// The members of a JSON object told apart by its outline alone: strings, brackets, colons and
// commas. A member whose value the JSON parser refuses (garbage, nesting deeper than it goes) is
// still found, with its bytes as they stand, so that a reader can keep the others.
namespace JsonMembers {

// Both views are into the text split() was given, which must outlive them.
struct Member {
    QByteArrayView key;   // as written, quotes and escapes included
    QByteArrayView value; // as written, from its first byte to its last

    // "key:value", the member as it stands without the space around its colon.
    QByteArray text() const;
};

// Nothing when the text is not one object whose members can be told apart (an unterminated
// string, unbalanced brackets, bytes after the end). A leading UTF-8 byte-order mark is passed
// over, as the JSON parser does. One pass over the text.
std::optional<QList<Member>> split(QByteArrayView text);

// The text split() gave `members` for, without those `goes` marks (one flag a member), every other
// byte as it stands. One pass over the text.
QByteArray without(QByteArrayView text, const QList<Member>& members, const QList<bool>& goes);

} // namespace JsonMembers
