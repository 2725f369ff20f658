#pragma once

#include <QString>

// The text with every unpaired UTF-16 surrogate replaced by U+FFFD, so that regular expressions,
// which match nothing in ill-formed UTF-16, see all of it.
QString wellFormedText(const QString& text);
