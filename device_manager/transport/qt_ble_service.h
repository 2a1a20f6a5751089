#pragma once

#include "device_manager/transport/ble_service.h"

namespace device_manager {

// BleService on Qt Bluetooth: owns one QLowEnergyService and passes every call and signal through.
class QtBleService : public BleService
{
    Q_OBJECT

public:
    // Takes ownership of `service`.
    explicit QtBleService(QLowEnergyService *service, QObject *parent = nullptr);
    ~QtBleService() override;

    QLowEnergyService::ServiceState state() const override;
    void discoverDetails() override;
    QList<QBluetoothUuid> characteristics() const override;
    bool hasDescriptor(const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type) const override;
    void writeDescriptor(
        const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type, const QByteArray &value) override;
    void writeCharacteristic(const QBluetoothUuid &characteristic, const QByteArray &value) override;

private:
    QLowEnergyService *const _service; // child of this object
};

} // namespace device_manager
