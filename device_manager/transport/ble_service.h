#pragma once

#include <QBluetoothUuid>
#include <QByteArray>
#include <QList>
#include <QLowEnergyService>
#include <QObject>

namespace device_manager {

// The part of QLowEnergyService that a BLE interface uses. Characteristics are named by their
// UUID (the first characteristic of the service with that UUID), because QLowEnergyCharacteristic
// values can only be made by Qt. QtBleService forwards to Qt; tests script a service of their own.
class BleService : public QObject
{
    Q_OBJECT

public:
    explicit BleService(QObject *parent = nullptr);
    ~BleService() override;

    virtual QLowEnergyService::ServiceState state() const = 0;
    // Discovers characteristics and descriptors, reading their values (QLowEnergyService::FullDiscovery).
    virtual void discoverDetails() = 0;
    // UUIDs of the service's characteristics, in the service's order; empty before discoverDetails().
    virtual QList<QBluetoothUuid> characteristics() const = 0;
    virtual bool hasDescriptor(const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type) const = 0;
    virtual void writeDescriptor(
        const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type, const QByteArray &value)
        = 0;
    // One write with response (QLowEnergyService::WriteWithResponse).
    virtual void writeCharacteristic(const QBluetoothUuid &characteristic, const QByteArray &value) = 0;

signals:
    void stateChanged(QLowEnergyService::ServiceState state);
    // A notification or indication.
    void characteristicChanged(const QBluetoothUuid &characteristic, const QByteArray &value);
    // The answer to a read.
    void characteristicRead(const QBluetoothUuid &characteristic, const QByteArray &value);
};

} // namespace device_manager
