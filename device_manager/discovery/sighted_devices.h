#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "v_protocol/t_slave_application.h"

#include <QBluetoothDeviceInfo>
#include <QHash>

#include <optional>
#include <shared_mutex>

namespace device_manager {

// The devices a scanner has sighted since its last start, keyed by (model id, serial). Every scanner
// feeds each advertisement it receives through `sight`, in its own thread; the discovery manager
// reads `deviceInfoFor` from another thread. All access goes through one read/write lock.
//
// A device is reported from its second sighting on, and again at every later one; the platform's
// description kept for it is the one of its second sighting.
class SightedDevices
{
public:
    SightedDevices() = default;
    SightedDevices(const SightedDevices &) = delete;
    SightedDevices &operator=(const SightedDevices &) = delete;

    // Forgets every device: each must be sighted twice again before it is reported.
    void clear();

    // One advertisement. Ignored unless `info` is valid, describes a Bluetooth LE only device and
    // carries our manufacturer data (parseAdvertisement). Returns the descriptor to report (type BLE,
    // no uuid, packet size unknown, the signal strength of this advertisement) from the device's
    // second sighting on, nothing before.
    std::optional<DeviceDiscoveryInfo> sight(const QBluetoothDeviceInfo &info);

    // The description of a reported device, found by model id and serial; an invalid one when the
    // device was sighted only once, and also the warning "Device not found: " when it is unknown.
    QBluetoothDeviceInfo deviceInfoFor(const DeviceDiscoveryInfo &discoveryInfo) const;

    // The identity `info` advertises, if it is a Bluetooth LE only device with our manufacturer data.
    static std::optional<v_protocol::TSlaveApplication> identityOf(const QBluetoothDeviceInfo &info);

private:
    struct Key
    {
        quint16 modelId = 0;
        quint64 serial = 0;

        friend bool operator==(const Key &a, const Key &b) { return a.modelId == b.modelId && a.serial == b.serial; }
        friend size_t qHash(const Key &key, size_t seed = 0) noexcept { return ::qHash(key.serial, seed); }
    };
    struct Entry
    {
        v_protocol::TSlaveApplication record;
        QBluetoothDeviceInfo info; // invalid until the second sighting
    };

    static Key keyOf(const v_protocol::TSlaveApplication &record) { return { record.ModelId, record.Serial }; }

    mutable std::shared_mutex _lock; // read/write lock
    QHash<Key, Entry> _devices;
};

} // namespace device_manager
