#pragma once

#include <QString>

// The SHA-256 digest of the text's UTF-8 bytes as 64 lowercase hexadecimal characters.
QString sha256Hex(const QString& text);
