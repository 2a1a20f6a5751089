#include "device_manager/transport/ble_device_interface.h"

#include "device_manager/transport/ble_service.h"
#include "device_manager/transport/qt_ble_controller.h"

#include <QDebug>
#include <QMetaEnum>
#include <QTimer>

namespace device_manager {

namespace {

const QByteArray kEnableNotifications = QByteArray::fromHex("0100");
constexpr auto kCccd = QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration;

// Deletes a controller or service once control has returned to the event loop: it may be the sender
// of the signal being handled. Its signals no longer reach `receiver`.
void dispose(QObject *object, QObject *receiver)
{
    QObject::disconnect(object, nullptr, receiver, nullptr);
    object->deleteLater();
}

} // namespace

BleDeviceInterface::BleDeviceInterface(QObject *parent, const DeviceInterfaceInfo &info,
    const QBluetoothDeviceInfo &deviceInfo, BleController::Factory controllerFactory)
    : IDeviceInterface(parent, info),
      _deviceInfo(deviceInfo),
      _controllerFactory(
          controllerFactory ? std::move(controllerFactory) : BleController::Factory(&QtBleController::create)),
      _plugOutTimer(new QTimer(this))
{
    _plugOutTimer->setSingleShot(true);
    _plugOutTimer->setInterval(kPlugOutTimeoutMs);
    connect(_plugOutTimer, &QTimer::timeout, this, &BleDeviceInterface::onPlugOutTimeout);
}

BleDeviceInterface::~BleDeviceInterface()
{
    _plugOutTimer->stop();
    disposeService();
    if (_controller) {
        _controller->disconnectFromDevice();
        disposeController();
    }
}

int BleDeviceInterface::packetSizeForMtu(int mtu)
{
    if (mtu < kDefaultAttMtu)
        return -1;
    if (mtu == kDefaultAttMtu)
        return 0;
    return mtu - kAttWriteHeaderSize;
}

bool BleDeviceInterface::isOpen()
{
    return _isOpen;
}

ReturnCode BleDeviceInterface::open()
{
    // A new connection: nothing of an earlier one (its controller, its service, a pending plug-out)
    // may act on it.
    _plugOutTimer->stop();
    if (_controller) {
        _controller->disconnectFromDevice();
        disposeController();
    }
    disposeService();
    _isOpen = true;
    _controller = _controllerFactory(_deviceInfo);
    connect(_controller, &BleController::connected, this, &BleDeviceInterface::onControllerConnected);
    connect(_controller, &BleController::errorOccurred, this, &BleDeviceInterface::onControllerError);
    connect(_controller, &BleController::disconnected, this, &BleDeviceInterface::onControllerDisconnected);
    connect(_controller, &BleController::discoveryFinished, this, &BleDeviceInterface::onServiceDiscoveryFinished);
    connect(_controller, &BleController::mtuChanged, this, &BleDeviceInterface::onMtuChanged);
    _controller->connectToDevice();
    return ReturnCode::Ok;
}

ReturnCode BleDeviceInterface::close()
{
    disposeService();
    if (!_controller) {
        if (_isOpen)
            reportPluggedOut();
        return ReturnCode::Ok;
    }
    switch (_controller->state()) {
    case QLowEnergyController::ConnectingState:
    case QLowEnergyController::ConnectedState:
        _controller->disconnectFromDevice();
        _plugOutTimer->start();
        return ReturnCode::Ok;
    case QLowEnergyController::ClosingState: _plugOutTimer->start(); return ReturnCode::Ok;
    case QLowEnergyController::AdvertisingState: _controller->stopAdvertising(); break;
    case QLowEnergyController::DiscoveringState:
    case QLowEnergyController::DiscoveredState:
        // Still connected: the link ends with the controller.
        _controller->disconnectFromDevice();
        break;
    case QLowEnergyController::UnconnectedState: break;
    }
    disposeController();
    if (_isOpen)
        reportPluggedOut();
    return ReturnCode::Ok;
}

ReturnCode BleDeviceInterface::sendPacket(DeviceEntry, v_protocol::TPacket packet)
{
    if (!_rxTxService) {
        qWarning() << "Invalid _rxTxService!";
        return ReturnCode::ErrInvalidHandler;
    }
    if (_txCharacteristic.isNull()) {
        // The service is there but its details are not: the write would go nowhere.
        qWarning() << "Invalid _txCharacteristic!";
        return ReturnCode::ErrInvalidHandler;
    }
    _rxTxService->writeCharacteristic(_txCharacteristic, packet.toByteArray());
    return ReturnCode::Ok;
}

int BleDeviceInterface::maximumPacketSize()
{
    if (!_controller || !_rxTxService || !_isOpen)
        return -1;
    return packetSizeForMtu(_controller->mtu());
}

void BleDeviceInterface::onControllerConnected()
{
    if (_controller)
        _controller->discoverServices();
}

void BleDeviceInterface::onControllerError(QLowEnergyController::Error error)
{
    if (_controller) {
        qWarning().nospace() << "Error occured: ["
                             << QMetaEnum::fromType<QLowEnergyController::Error>().valueToKey(error) << "] "
                             << _controller->errorString() << " for " << _interfaceInfo;
    }
    close();
}

void BleDeviceInterface::onControllerDisconnected()
{
    close();
}

void BleDeviceInterface::onServiceDiscoveryFinished()
{
    if (!_controller) {
        qWarning() << "Invalid state - _controller is empty!";
        close();
        return;
    }
    if (_rxTxService) {
        qWarning() << "Invalid state - _rxTxService is not empty!";
        close();
        return;
    }
    const QList<QBluetoothUuid> services = _controller->services();
    for (const QBluetoothUuid &uuid : services) {
        if (!matches(uuid, kRxTxServiceUuid))
            continue;
        BleService *service = _controller->createServiceObject(uuid);
        if (!service) {
            qWarning() << "Cannot create service for uuid";
            close();
            return;
        }
        _rxTxService = service;
        connect(_rxTxService, &BleService::stateChanged, this, &BleDeviceInterface::onServiceStateChanged);
        _rxTxService->discoverDetails();
        return;
    }
    emit errorHappend(TrStrings::BleConnectionError,
        services.isEmpty() ? TrStrings::ErrorScanningServices : TrStrings::DeviceIsNotSupported);
    close();
}

void BleDeviceInterface::onMtuChanged(int)
{
    _interfaceInfo.maximumPacketSize = maximumPacketSize();
    emit parameterChanged(_interfaceInfo, InterfaceParameterFlag::MaximumPacketSize);
}

void BleDeviceInterface::onServiceStateChanged(QLowEnergyService::ServiceState state)
{
    if (state != QLowEnergyService::RemoteServiceDiscovered || !_rxTxService)
        return;
    for (const QBluetoothUuid &uuid : _rxTxService->characteristics()) {
        if (_txCharacteristic.isNull() && matches(uuid, kTxCharacteristicUuid))
            _txCharacteristic = uuid;
        else if (_rxCharacteristic.isNull() && matches(uuid, kRxCharacteristicUuid))
            _rxCharacteristic = uuid;
    }
    if (_rxCharacteristic.isNull() || _txCharacteristic.isNull()) {
        qWarning() << "Invalid _rxCharacteristic or _txCharacteristic!";
        emit errorHappend(TrStrings::BleConnectionError, TrStrings::DeviceIsNotSupported);
        close();
        return;
    }
    if (!_rxTxService->hasDescriptor(_rxCharacteristic, kCccd)) {
        qWarning() << "Invalid notification!";
        emit errorHappend(TrStrings::BleConnectionError, TrStrings::DeviceIsNotSupported);
        close();
        return;
    }
    connect(_rxTxService, &BleService::characteristicChanged, this, &BleDeviceInterface::onCharacteristicValue,
        Qt::UniqueConnection);
    connect(_rxTxService, &BleService::characteristicRead, this, &BleDeviceInterface::onCharacteristicValue,
        Qt::UniqueConnection);
    _rxTxService->writeDescriptor(_rxCharacteristic, kCccd, kEnableNotifications);
    _interfaceInfo.maximumPacketSize = maximumPacketSize();
    emit pluggedIn(_interfaceInfo);
}

void BleDeviceInterface::onCharacteristicValue(const QBluetoothUuid &characteristic, const QByteArray &value)
{
    if (_rxCharacteristic.isNull() || characteristic != _rxCharacteristic)
        return;
    receivePacketBytes(value);
}

void BleDeviceInterface::onPlugOutTimeout()
{
    qDebug() << "PlugOutTimeout: " << _interfaceInfo;
    if (_controller)
        disposeController();
    reportPluggedOut();
}

bool BleDeviceInterface::matches(const QBluetoothUuid &uuid, const char *literal)
{
    return uuid.toString(QUuid::WithBraces).toLower().contains(QLatin1String(literal));
}

void BleDeviceInterface::disposeController()
{
    if (!_controller)
        return;
    dispose(_controller, this);
    _controller = nullptr;
}

void BleDeviceInterface::disposeService()
{
    _rxCharacteristic = QBluetoothUuid();
    _txCharacteristic = QBluetoothUuid();
    if (!_rxTxService)
        return;
    dispose(_rxTxService, this);
    _rxTxService = nullptr;
}

void BleDeviceInterface::reportPluggedOut()
{
    _plugOutTimer->stop();
    _isOpen = false;
    emit pluggedOut(_interfaceInfo);
}

} // namespace device_manager
