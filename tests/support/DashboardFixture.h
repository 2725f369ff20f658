#pragma once

class NetworkMonitor;
class SystemMonitor;
struct FakePlatform;

// An imagined laptop for the Dashboard: a hot processor, two fans (one whose maximum the hardware
// does not report), a nearly empty battery on its own power, two accessories and a Wi-Fi
// connection, with the samples that give the memory and network graphs a history.
class DashboardFixture {
public:
    static constexpr int memorySamples = 30;
    static constexpr int networkSamples = 60;

    // Sets the fakes' readings.
    static void fill(FakePlatform& platform);
    // Feeds the root view's samplers through their ordinary sampling calls, one sample at a time,
    // waiting for each to be published; the network monitor is left stopped, as the root view
    // leaves it when another screen was shown.
    static void preload(FakePlatform& platform, SystemMonitor& monitor, NetworkMonitor& network);

    // Percent of memory in use at a sample.
    static double memoryLoad(int sample);
    // Bytes per second at a sample.
    static double downloadRate(int sample);
    static double uploadRate(int sample);
};
