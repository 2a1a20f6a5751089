#include "device_manager/transport/qt_ble_service.h"

#include <QLowEnergyCharacteristic>
#include <QLowEnergyDescriptor>

namespace device_manager {

QtBleService::QtBleService(QLowEnergyService *service, QObject *parent) : BleService(parent), _service(service)
{
    _service->setParent(this);
    connect(_service, &QLowEnergyService::stateChanged, this, &BleService::stateChanged);
    connect(_service, &QLowEnergyService::characteristicChanged, this,
        [this](const QLowEnergyCharacteristic &characteristic, const QByteArray &value) {
            emit characteristicChanged(characteristic.uuid(), value);
        });
    connect(_service, &QLowEnergyService::characteristicRead, this,
        [this](const QLowEnergyCharacteristic &characteristic, const QByteArray &value) {
            emit characteristicRead(characteristic.uuid(), value);
        });
}

QtBleService::~QtBleService() = default;

QLowEnergyService::ServiceState QtBleService::state() const
{
    return _service->state();
}

void QtBleService::discoverDetails()
{
    _service->discoverDetails(QLowEnergyService::FullDiscovery);
}

QList<QBluetoothUuid> QtBleService::characteristics() const
{
    QList<QBluetoothUuid> uuids;
    for (const QLowEnergyCharacteristic &characteristic : _service->characteristics())
        uuids.append(characteristic.uuid());
    return uuids;
}

bool QtBleService::hasDescriptor(const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type) const
{
    return _service->characteristic(characteristic).descriptor(type).isValid();
}

void QtBleService::writeDescriptor(
    const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type, const QByteArray &value)
{
    _service->writeDescriptor(_service->characteristic(characteristic).descriptor(type), value);
}

void QtBleService::writeCharacteristic(const QBluetoothUuid &characteristic, const QByteArray &value)
{
    _service->writeCharacteristic(
        _service->characteristic(characteristic), value, QLowEnergyService::WriteWithResponse);
}

} // namespace device_manager
