#pragma once

#include <QDebug>
#include <QHashFunctions>
#include <QJsonObject>
#include <QMetaType>

namespace device_manager {

// The identity of one device: its serial number (the Serial of its TSlaveApplication). Keys the
// device manager's table of device sessions.
struct DeviceEntry
{
    quint64 serial = 0;

    // {"serial": the serial as a JSON number, exact up to 2^53}
    QJsonObject toJson() const;

    friend bool operator==(const DeviceEntry &a, const DeviceEntry &b) { return a.serial == b.serial; }
    friend bool operator!=(const DeviceEntry &a, const DeviceEntry &b) { return !(a == b); }
};

inline size_t qHash(const DeviceEntry &entry, size_t seed = 0) noexcept
{
    return ::qHash(entry.serial, seed);
}

// DeviceEntry[<low 32 bits of the serial, unsigned>]: the wire carries 32-bit serials.
QDebug operator<<(QDebug debug, const DeviceEntry &entry);

} // namespace device_manager

Q_DECLARE_METATYPE(device_manager::DeviceEntry)
