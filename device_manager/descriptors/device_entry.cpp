#include "device_manager/descriptors/device_entry.h"

namespace device_manager {

QJsonObject DeviceEntry::toJson() const
{
    return { { QStringLiteral("serial"), double(serial) } };
}

QDebug operator<<(QDebug debug, const DeviceEntry &entry)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "DeviceEntry[" << quint32(entry.serial) << ']';
    return debug;
}

} // namespace device_manager
