#include "device_manager/discovery/pending_connections.h"

namespace device_manager {

quint64 PendingConnections::add(
    const DeviceInterfaceInfo &interfaceInfo, const v_protocol::TSlaveApplication &deviceInfo)
{
    const quint64 attempt = ++_lastAttempt;
    _connections.insert(interfaceInfo.uuid, Entry { Connection { interfaceInfo, deviceInfo }, attempt });
    return attempt;
}

std::optional<PendingConnections::Connection> PendingConnections::take(const QString &uuid)
{
    const auto found = _connections.find(uuid);
    if (found == _connections.end())
        return std::nullopt;
    Connection connection = found->connection;
    _connections.erase(found);
    return connection;
}

std::optional<PendingConnections::Connection> PendingConnections::takeExpired(const QString &uuid, quint64 attempt)
{
    const auto found = _connections.constFind(uuid);
    if (found == _connections.cend() || found->attempt != attempt)
        return std::nullopt;
    return take(uuid);
}

} // namespace device_manager
