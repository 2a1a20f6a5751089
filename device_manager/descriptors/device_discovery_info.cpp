#include "device_manager/descriptors/device_discovery_info.h"

namespace device_manager {

QJsonObject DeviceDiscoveryInfo::toJson() const
{
    QJsonObject json {
        { QStringLiteral("interfaceInfo"), interfaceInfo.toJson() },
        { QStringLiteral("deviceInfo"), deviceInfo.toJson() },
    };
    if (rssi != kRssiUnknown)
        json.insert(QStringLiteral("rssi"), rssi);
    return json;
}

QDebug operator<<(QDebug debug, const DeviceDiscoveryInfo &info)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "DeviceDiscoveryInfo[" << info.interfaceInfo << ", " << info.deviceInfo;
    if (info.rssi != DeviceDiscoveryInfo::kRssiUnknown)
        debug << ", " << info.rssi << " dBm";
    return debug;
}

} // namespace device_manager
