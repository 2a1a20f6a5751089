#include "device_manager/descriptors/device_discovery_info.h"

namespace device_manager {

QJsonObject DeviceDiscoveryInfo::toJson() const
{
    return {
        { QStringLiteral("interfaceInfo"), interfaceInfo.toJson() },
        { QStringLiteral("deviceInfo"), deviceInfo.toJson() },
    };
}

QDebug operator<<(QDebug debug, const DeviceDiscoveryInfo &info)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "DeviceDiscoveryInfo[" << info.interfaceInfo << ", " << info.deviceInfo;
    return debug;
}

} // namespace device_manager
