#include "SamplingDemand.h"

SamplingDemand::Sampling SamplingDemand::of(const Situation& now)
{
    Sampling sampling;
    // The status item shows the readings beside any window, a minimised one too, and a recording
    // reports the memory figures of its last moment.
    sampling.systemMonitor = now.mainScreensReachable && ((now.windowShown && now.screenShowsSystemReadings) ||
                                                          now.statusItemShown || now.sessionRecording);
    sampling.networkMonitor = now.mainScreensReachable && now.windowShown && now.screenShowsNetworkReadings;
    sampling.applicationScan = now.screenFollowsApplications || now.launchesAwaited;
    return sampling;
}
