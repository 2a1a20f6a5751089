#include "device_manager/discovery/ble_device_discovery.h"

#include <QDebug>

namespace device_manager {

BleDeviceDiscovery::BleDeviceDiscovery() : BleDeviceDiscovery(Timing()) { }

BleDeviceDiscovery::BleDeviceDiscovery(Timing timing) : _timing(timing) { }

BleDeviceDiscovery::~BleDeviceDiscovery() = default;

void BleDeviceDiscovery::afterThreadStarted()
{
    _agent = new QBluetoothDeviceDiscoveryAgent(this);
    connect(_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this, &BleDeviceDiscovery::_deviceDiscovered);
    connect(_agent, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this, &BleDeviceDiscovery::_deviceScanError);
    connect(_agent, &QBluetoothDeviceDiscoveryAgent::finished, this, &BleDeviceDiscovery::_restartHWDiscovery);
    // Which fields changed does not matter: every update is one more sighting, with the signal
    // strength (RssiUpdate) the platform measured for it.
    connect(_agent, &QBluetoothDeviceDiscoveryAgent::deviceUpdated, this,
        [this](const QBluetoothDeviceInfo &info, QBluetoothDeviceInfo::Fields) { _deviceInfoUpdated(info); });

    _restartTimer = new QTimer(this);
    _restartTimer->setSingleShot(true);
    _restartTimer->setInterval(_timing.restart);
    connect(_restartTimer, &QTimer::timeout, this, &BleDeviceDiscovery::_restartHWDiscovery);

    emit initializationDone();
}

void BleDeviceDiscovery::startScanning()
{
    _restartHWDiscovery();
}

void BleDeviceDiscovery::_restartHWDiscovery()
{
    if (!_agent || !isActive())
        return;
    _restartTimer->start();
    _agent->stop();
    _agent->setLowEnergyDiscoveryTimeout(int(_timing.round.count()));
    _agent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
}

void BleDeviceDiscovery::stopScanning()
{
    if (_restartTimer)
        _restartTimer->stop();
    if (_agent)
        _agent->stop();
}

void BleDeviceDiscovery::_deviceDiscovered(const QBluetoothDeviceInfo &value)
{
    // Any advertisement, ours or not, shows that the round is alive. A late one after a stop must
    // not arm the watchdog, which would start scanning again.
    if (isActive())
        _restartTimer->start();
    sight(value);
}

void BleDeviceDiscovery::_deviceInfoUpdated(const QBluetoothDeviceInfo &info)
{
    _deviceDiscovered(info);
}

void BleDeviceDiscovery::_deviceScanError(QBluetoothDeviceDiscoveryAgent::Error error)
{
    switch (error) {
    case QBluetoothDeviceDiscoveryAgent::PoweredOffError:
        qWarning() << "Error The Bluetooth adaptor is powered off, power it on before doing discovery";
        emit errorHappend(TrStrings::BleConnectionError, TrStrings::BluetoothPoweredOff);
        break;
    case QBluetoothDeviceDiscoveryAgent::InputOutputError:
        qDebug() << "Writing or reading from the device resulted in an error";
        break;
    default: qDebug() << "VkBleInterface: Scan error" << error; break;
    }
}

} // namespace device_manager
