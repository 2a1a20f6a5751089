#include "device_manager/transport/qt_ble_controller.h"

#include "device_manager/transport/qt_ble_service.h"

namespace device_manager {

QtBleController::QtBleController(const QBluetoothDeviceInfo &device, QObject *parent)
    : BleController(parent), _controller(QLowEnergyController::createCentral(device, this))
{
    connect(_controller, &QLowEnergyController::connected, this, &BleController::connected);
    connect(_controller, &QLowEnergyController::disconnected, this, &BleController::disconnected);
    connect(_controller, &QLowEnergyController::errorOccurred, this, &BleController::errorOccurred);
    connect(_controller, &QLowEnergyController::discoveryFinished, this, &BleController::discoveryFinished);
    connect(_controller, &QLowEnergyController::mtuChanged, this, &BleController::mtuChanged);
}

QtBleController::~QtBleController() = default;

BleController *QtBleController::create(const QBluetoothDeviceInfo &device)
{
    return new QtBleController(device);
}

QLowEnergyController::ControllerState QtBleController::state() const
{
    return _controller->state();
}

QString QtBleController::errorString() const
{
    return _controller->errorString();
}

int QtBleController::mtu() const
{
    return _controller->mtu();
}

QList<QBluetoothUuid> QtBleController::services() const
{
    return _controller->services();
}

void QtBleController::connectToDevice()
{
    _controller->connectToDevice();
}

void QtBleController::disconnectFromDevice()
{
    _controller->disconnectFromDevice();
}

void QtBleController::discoverServices()
{
    _controller->discoverServices();
}

void QtBleController::stopAdvertising()
{
    _controller->stopAdvertising();
}

BleService *QtBleController::createServiceObject(const QBluetoothUuid &service)
{
    QLowEnergyService *object = _controller->createServiceObject(service);
    return object ? new QtBleService(object) : nullptr;
}

} // namespace device_manager
