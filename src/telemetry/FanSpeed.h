#pragma once

// One fan of a sensor report, in revolutions per minute; 0 where the report gave no readable value.
struct FanSpeed {
    int index = 0; // position among the report's fans, from 0
    double current = 0;
    double min = 0;
    double max = 0;

    bool operator==(const FanSpeed&) const = default;
};
