#pragma once

#include "TuningBackends.h"

class AppleScriptRunner;
class ProcessRunner;

// The tuning actions through the macOS tools (caffeinate, purge, dscacheutil, dig, networksetup),
// run by `runner`; both must outlive what this returns.
TuningBackends macToolBackends(ProcessRunner& runner, AppleScriptRunner& scripts);
