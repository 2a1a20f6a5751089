#include "device_manager/descriptors/discovery_status.h"

namespace device_manager {

QString toText(DiscoveryState state)
{
    switch (state) {
    case DiscoveryState::Inactive: return QStringLiteral("Inactive");
    case DiscoveryState::Indifferent: return QStringLiteral("Indifferent");
    case DiscoveryState::Active: return QStringLiteral("Active");
    }
    return QString();
}

QJsonObject DiscoveryStatus::toJson() const
{
    return { { QStringLiteral("bleDiscovering"), toText(bleDiscovering) } };
}

} // namespace device_manager
