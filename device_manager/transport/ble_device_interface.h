#pragma once

#include "device_manager/transport/ble_controller.h"
#include "device_manager/transport/i_device_interface.h"

#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>
#include <QLowEnergyController>
#include <QLowEnergyService>

class QTimer;

namespace device_manager {

class BleService;

// The packet transport to one device over Bluetooth LE, GATT central role. Connects to the device,
// finds its RX/TX service, enables notifications of the receive characteristic, writes each packet
// to the transmit characteristic (one write with response per packet) and parses each notification
// as one packet. Lives in the interface manager's thread, like the controller and service it makes.
//
// Connection: open() -> connected -> services discovered -> RX/TX service details discovered ->
// notifications enabled (CCCD 0x0100), pluggedIn. Any failure, a controller error, a remote
// disconnect or close() ends in one pluggedOut: at once when the controller is idle, else when
// `disconnected` arrives or, failing that, kPlugOutTimeoutMs after the disconnect was asked for.
class BleDeviceInterface : public IDeviceInterface
{
    Q_OBJECT

public:
    static constexpr int kPlugOutTimeoutMs = 5000;
    static constexpr int kDefaultAttMtu = 23;
    static constexpr int kAttWriteHeaderSize = 3;
    // The device's GATT identifiers, compared with the braced lower-case text of a UUID.
    static constexpr char kRxTxServiceUuid[] = "{dec01400-ceb1-cec0-dec0-ff0123456789}";
    static constexpr char kRxCharacteristicUuid[] = "{dec01433-ceb1-cec0-dec0-ff0123456789}";
    static constexpr char kTxCharacteristicUuid[] = "{dec01444-ceb1-cec0-dec0-ff0123456789}";

    // `controllerFactory` makes the controller on each open(); empty: Qt's own (QtBleController).
    BleDeviceInterface(QObject *parent, const DeviceInterfaceInfo &info, const QBluetoothDeviceInfo &deviceInfo,
        BleController::Factory controllerFactory = {});
    ~BleDeviceInterface() override;

    // The packet size an ATT MTU allows: -1 below the default MTU 23, 0 at 23 (nothing negotiated:
    // no limit known), else MTU - 3.
    static int packetSizeForMtu(int mtu);

    bool isOpen() override;
    ReturnCode open() override;
    ReturnCode close() override;
    ReturnCode sendPacket(device_manager::DeviceEntry entry, v_protocol::TPacket packet) override;
    int maximumPacketSize() override;

private slots:
    void onControllerConnected();
    void onControllerError(QLowEnergyController::Error error);
    void onControllerDisconnected();
    void onServiceDiscoveryFinished();
    void onMtuChanged(int mtu);
    void onServiceStateChanged(QLowEnergyService::ServiceState state);
    void onCharacteristicValue(const QBluetoothUuid &characteristic, const QByteArray &value);
    void onPlugOutTimeout();

private:
    static bool matches(const QBluetoothUuid &uuid, const char *literal);
    void disposeController();
    void disposeService();
    // Clears the open flag, stops the plug-out timer and emits pluggedOut. Callers return right after:
    // the receiver may delete this interface.
    void reportPluggedOut();

    bool _isOpen = false;
    QBluetoothDeviceInfo _deviceInfo;
    BleController::Factory _controllerFactory;
    BleController *_controller = nullptr; // owned; null when not connecting
    BleService *_rxTxService = nullptr; // owned; null until the service is found
    QBluetoothUuid _rxCharacteristic; // null until the service details are discovered
    QBluetoothUuid _txCharacteristic;
    QTimer *_plugOutTimer = nullptr;
};

} // namespace device_manager
