#include "device_manager/descriptors/device_interface_info.h"

namespace device_manager {

QString toText(InterfaceType type)
{
    switch (type) {
    case InterfaceType::Unknown: return QStringLiteral("Unknown");
    case InterfaceType::BLE: return QStringLiteral("BLE");
    }
    return QString();
}

QJsonObject DeviceInterfaceInfo::toJson() const
{
    return {
        { QStringLiteral("type"), toText(type) },
        { QStringLiteral("uuid"), uuid },
        { QStringLiteral("maximumPacketSize"), maximumPacketSize },
    };
}

QDebug operator<<(QDebug debug, const DeviceInterfaceInfo &info)
{
    const QDebugStateSaver saver(debug);
    debug.nospace().quote() << "DeviceInterfaceInfo[" << toText(info.type) << ", uuid: " << info.uuid << ']';
    return debug;
}

} // namespace device_manager
