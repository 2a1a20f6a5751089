#pragma once

#include "device_manager/descriptors/device_interface_info.h"
#include "v_protocol/t_slave_application.h"

#include <QHash>
#include <QString>

#include <optional>

namespace device_manager {

// The connections whose BLE interface is being created, by interface uuid. Each attempt is numbered,
// so that the time-out of an earlier attempt cannot end a later one made under the same uuid.
class PendingConnections
{
public:
    struct Connection
    {
        DeviceInterfaceInfo interfaceInfo;
        v_protocol::TSlaveApplication deviceInfo;
    };

    // Remembers a connection under its interface's uuid (replacing one held there) and returns the
    // number of this attempt, for takeExpired.
    quint64 add(const DeviceInterfaceInfo &interfaceInfo, const v_protocol::TSlaveApplication &deviceInfo);

    // Removes and returns the connection held under `uuid`, if any.
    std::optional<Connection> take(const QString &uuid);

    // The time-out of attempt `attempt`: removes and returns the connection held under `uuid` only
    // if it is still that attempt.
    std::optional<Connection> takeExpired(const QString &uuid, quint64 attempt);

    int size() const { return int(_connections.size()); }
    void clear() { _connections.clear(); }

private:
    struct Entry
    {
        Connection connection;
        quint64 attempt = 0;
    };

    QHash<QString, Entry> _connections;
    quint64 _lastAttempt = 0;
};

} // namespace device_manager
