#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Nothing when the bytes are not valid UTF-8: a tool's garbled output is refused, never guessed at.
std::optional<QString> strictUtf8(const QByteArray& bytes);
