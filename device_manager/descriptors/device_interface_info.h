#pragma once

#include <QDebug>
#include <QHashFunctions>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

namespace device_manager {

// The kind of link that carries a device's packets.
enum class InterfaceType : qint32 {
    Unknown = 0,
    BLE = 1,
};

// "Unknown", "BLE"; the empty text for any other value.
QString toText(InterfaceType type);

// The descriptor of one link to a device. Two descriptors name the same interface when type and
// uuid are equal: the packet size is what the link reports now, not part of its identity.
struct DeviceInterfaceInfo
{
    InterfaceType type = InterfaceType::Unknown;
    QString uuid; // the link instance; empty until an interface was created for it
    qint32 maximumPacketSize = -1; // largest packet one write carries; -1: not known

    // {"type": type text, "uuid", "maximumPacketSize"}
    QJsonObject toJson() const;

    friend bool operator==(const DeviceInterfaceInfo &a, const DeviceInterfaceInfo &b)
    {
        return a.type == b.type && a.uuid == b.uuid;
    }
    friend bool operator!=(const DeviceInterfaceInfo &a, const DeviceInterfaceInfo &b) { return !(a == b); }
};

inline size_t qHash(const DeviceInterfaceInfo &info, size_t seed = 0) noexcept
{
    return qHashMulti(seed, qint32(info.type), info.uuid);
}

// DeviceInterfaceInfo["<type text>", uuid: "<uuid>"]
QDebug operator<<(QDebug debug, const DeviceInterfaceInfo &info);

} // namespace device_manager

Q_DECLARE_METATYPE(device_manager::InterfaceType)
Q_DECLARE_METATYPE(device_manager::DeviceInterfaceInfo)
