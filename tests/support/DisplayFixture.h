#pragma once

class FakeDisplayModes;

// An imagined laptop panel of 2560 × 1600 running at 60 Hz, with 120 Hz modes beside the 60 Hz ones.
class DisplayFixture {
public:
    static void fill(FakeDisplayModes& display);
};
