#pragma once

// The process-wide colour-blind flag: false at start, written only by the settings store, read
// by screens while they draw status colours. Main thread only.
namespace ColorBlindMode {

bool enabled();
void setEnabled(bool on);

} // namespace ColorBlindMode
