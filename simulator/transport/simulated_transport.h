#pragma once

#include "simulator/device_park.h"

#include <memory>

namespace simulator {

// The one place where a program chooses to run on simulated devices instead of Bluetooth: the
// interface manager's interfaces and the discovery manager's scanner both reach the devices of one
// park. Made once at start-up, before the modules are created; nothing else in the program knows.
class SimulatedTransport
{
public:
    static void install(std::shared_ptr<DevicePark> park);
    // Back to Bluetooth LE for the modules created next.
    static void uninstall();
};

} // namespace simulator
