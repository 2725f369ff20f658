#pragma once

#include "DiskScanEngine.h"

#include <QString>

// The directory walks of a disk scan; how they share the work between threads is told with the
// walk itself.
namespace DiskWalk {

// The home folder, recursively: folder sizes, large files, media and candidates. `progress` hears
// the share of the home folder's entries done, after each, on the calling thread.
void home(const DiskScanEngine& engine, DiskScanEngine::HomeFiles& found,
          const DiskScanEngine::Limits& limits, const DiskScanEngine::Cancelled& cancelled,
          const DiskScanEngine::Progress& progress, int threads);
// The files directly in a folder, as candidates only.
void flat(const DiskScanEngine& engine, DiskScanEngine::HomeFiles& found,
          const DiskScanEngine::Limits& limits, const DiskScanEngine::Cancelled& cancelled,
          const QString& folder);

} // namespace DiskWalk
