#pragma once

#include <QJsonObject>
#include <QMetaType>
#include <QString>

namespace device_manager {

// The requested state of device scanning.
enum class DiscoveryState : qint32 {
    Inactive = 0, // stop scanning
    Indifferent = 1, // leave scanning as it is
    Active = 2, // start scanning
};

// "Inactive", "Indifferent", "Active"; the empty text for any other value.
QString toText(DiscoveryState state);

// The discovery request carried by DeviceManagerCmdStartDiscovery.
struct DiscoveryStatus
{
    DiscoveryState bleDiscovering = DiscoveryState::Indifferent;

    // {"bleDiscovering": state text}
    QJsonObject toJson() const;

    friend bool operator==(const DiscoveryStatus &a, const DiscoveryStatus &b)
    {
        return a.bleDiscovering == b.bleDiscovering;
    }
    friend bool operator!=(const DiscoveryStatus &a, const DiscoveryStatus &b) { return !(a == b); }
};

} // namespace device_manager

Q_DECLARE_METATYPE(device_manager::DiscoveryState)
Q_DECLARE_METATYPE(device_manager::DiscoveryStatus)
