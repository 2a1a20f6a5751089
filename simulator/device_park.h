#pragma once

#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "simulator/simulated_advertisement.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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

    // What each device that advertises advertises now, in catalog order, with the signal strength
    // the scanner hears it at.
    QList<SimulatedAdvertisement> advertisements() const;

    // The radio side, as a test moves the engineer about: the signal strength of the device with
    // this address (instead of its definition's), and whether it advertises at all (a device that
    // stops is no longer heard until it resumes). False when no device has the address.
    bool setRssi(const QString &address, qint16 rssi);
    bool setAdvertising(const QString &address, bool advertising);

    // Runs `work` on the engine of the device with this Bluetooth address (case-insensitive) under
    // the park's lock and returns true; false when no device has the address. `work` must not call
    // back into the park.
    bool withEngine(const QString &address, const std::function<void(DeviceEngine &)> &work);

private:
    int indexOf(const QString &address) const;

    // How the scanner hears a device, beside the device itself.
    struct Air
    {
        std::optional<qint16> rssi; // the definition's when unset
        bool advertising = true;
    };

    mutable std::mutex _mutex;
    std::vector<std::unique_ptr<DeviceEngine>> _engines;
    std::vector<Air> _air; // by engine
};

} // namespace simulator
