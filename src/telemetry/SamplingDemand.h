#pragma once

// Who needs which sampler now. A reading is taken only where it is shown or recorded; the
// application scan runs only while a screen follows the applications or something waits to act on
// an application's launch (a query about the applications reads them anew when no scan runs).
// Nothing samples outside the main screens (before setup is complete, after shut-down).
struct SamplingDemand {
    struct Situation {
        bool mainScreensReachable = false;
        // On screen: neither minimised nor hidden.
        bool windowShown = false;
        bool screenShowsSystemReadings = false;
        bool screenShowsNetworkReadings = false;
        // Acts on the applications' notices while it exists, shown or not.
        bool screenFollowsApplications = false;
        bool statusItemShown = false;
        bool sessionRecording = false;
        bool launchesAwaited = false;
    };

    struct Sampling {
        bool systemMonitor = false;
        bool networkMonitor = false;
        bool applicationScan = false;
        friend bool operator==(const Sampling&, const Sampling&) = default;
    };

    static Sampling of(const Situation& now);
};
