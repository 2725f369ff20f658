#pragma once

#include <QString>

namespace ErrorText {

// A system's description of an error ("Permission denied"), its first letter lower-cased so that it
// continues a sentence ("… could not be started: permission denied").
QString continuingSentence(QString reason);

} // namespace ErrorText
