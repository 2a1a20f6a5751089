#include "device_manager/discovery/sighted_devices.h"

#include "device_manager/discovery/advertisement_parser.h"

#include <QDebug>

#include <mutex>

namespace device_manager {

void SightedDevices::clear()
{
    std::unique_lock lock(_lock);
    _devices.clear();
}

std::optional<v_protocol::TSlaveApplication> SightedDevices::identityOf(const QBluetoothDeviceInfo &info)
{
    if (!info.isValid() || info.coreConfigurations() != QBluetoothDeviceInfo::LowEnergyCoreConfiguration)
        return std::nullopt;
    QList<QByteArray> manufacturerData;
    const QList<quint16> ids = info.manufacturerIds();
    for (quint16 id : ids)
        manufacturerData.append(info.manufacturerData(id));
    return parseAdvertisement(info.name(), manufacturerData);
}

std::optional<DeviceDiscoveryInfo> SightedDevices::sight(const QBluetoothDeviceInfo &info)
{
    const std::optional<v_protocol::TSlaveApplication> record = identityOf(info);
    if (!record)
        return std::nullopt;
    {
        std::unique_lock lock(_lock);
        const auto found = _devices.find(keyOf(*record));
        if (found == _devices.end()) {
            _devices.insert(keyOf(*record), Entry { *record, QBluetoothDeviceInfo() });
            return std::nullopt;
        }
        // The advertised identity may change (a restart into the bootloader, a new firmware): the
        // report and the record follow the latest advertisement.
        found->record = *record;
        if (!found->info.isValid())
            found->info = info;
    }
    DeviceDiscoveryInfo discovered;
    discovered.interfaceInfo.type = InterfaceType::BLE;
    discovered.interfaceInfo.maximumPacketSize = -1;
    discovered.deviceInfo = *record;
    discovered.rssi = info.rssi();
    return discovered;
}

QBluetoothDeviceInfo SightedDevices::deviceInfoFor(const DeviceDiscoveryInfo &discoveryInfo) const
{
    {
        std::shared_lock lock(_lock);
        const auto found = _devices.constFind(keyOf(discoveryInfo.deviceInfo));
        if (found != _devices.cend())
            return found->info;
    }
    qWarning() << "Device not found: " << discoveryInfo;
    return QBluetoothDeviceInfo();
}

} // namespace device_manager
