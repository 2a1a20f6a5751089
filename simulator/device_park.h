#pragma once

#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "simulator/simulated_advertisement.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace simulator {

// The simulated devices of a running program: one engine per definition of a catalog, shared by
// the simulated scanner (which advertises them) and the simulated interfaces (which carry packets
// to them). A device keeps its state across connections (a restart into the bootloader, a new
// firmware, written settings), as a real device does. Safe to use from any thread: every access to
// an engine happens under the park's lock, and no engine is used outside it.
class DevicePark
{
public:
    explicit DevicePark(const DeviceCatalog &catalog);

    DevicePark(const DevicePark &) = delete;
    DevicePark &operator=(const DevicePark &) = delete;

    int size() const;

    // What each device advertises now, in catalog order.
    QList<SimulatedAdvertisement> advertisements() const;

    // Runs `work` on the engine of the device with this Bluetooth address (case-insensitive) under
    // the park's lock and returns true; false when no device has the address. `work` must not call
    // back into the park.
    bool withEngine(const QString &address, const std::function<void(DeviceEngine &)> &work);

private:
    int indexOf(const QString &address) const;

    mutable std::mutex _mutex;
    std::vector<std::unique_ptr<DeviceEngine>> _engines;
};

} // namespace simulator
