#pragma once

// A scripted Bluetooth LE controller and service for the BLE interface tests: they record what the
// interface asks of them and move on (connected, services discovered, details discovered) from the
// event loop, like Qt's, unless a test drives them by hand. Writes to the service can be answered
// by a peer, for example a simulated device.

#include "device_manager/transport/ble_controller.h"
#include "device_manager/transport/ble_device_interface.h"
#include "device_manager/transport/ble_service.h"

#include <QList>
#include <QMetaObject>
#include <QPair>
#include <QPointer>

#include <functional>

namespace ble_test {

inline QBluetoothUuid uuid(const char *text)
{
    return QBluetoothUuid(QString::fromLatin1(text));
}

inline QBluetoothUuid rxTxService()
{
    return uuid(device_manager::BleDeviceInterface::kRxTxServiceUuid);
}
inline QBluetoothUuid rx()
{
    return uuid(device_manager::BleDeviceInterface::kRxCharacteristicUuid);
}
inline QBluetoothUuid tx()
{
    return uuid(device_manager::BleDeviceInterface::kTxCharacteristicUuid);
}

// What a scripted device offers.
struct Script
{
    bool automatic = true; // connect and discover by themselves; false: the test emits the signals
    bool disconnectCompletes = true; // disconnectFromDevice() is followed by `disconnected`
    int mtu = 23;
    QList<QBluetoothUuid> services { rxTxService() };
    bool serviceObjects = true; // createServiceObject() succeeds
    QList<QBluetoothUuid> characteristics { rx(), tx() };
    bool cccd = true;
    // Answers a write of the transmit characteristic with notifications of the receive characteristic.
    std::function<QList<QByteArray>(const QByteArray &written)> peer;
};

class ScriptedService : public device_manager::BleService
{
    Q_OBJECT

public:
    explicit ScriptedService(const Script &script) : m_script(script) { }

    QLowEnergyService::ServiceState state() const override { return m_state; }
    void discoverDetails() override
    {
        ++discoverDetailsCalls;
        if (m_script.automatic)
            QMetaObject::invokeMethod(this, &ScriptedService::finishDiscovery, Qt::QueuedConnection);
    }
    QList<QBluetoothUuid> characteristics() const override
    {
        return m_state == QLowEnergyService::RemoteServiceDiscovered ? m_script.characteristics
                                                                     : QList<QBluetoothUuid>();
    }
    bool hasDescriptor(const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType type) const override
    {
        return m_script.cccd && characteristic == rx()
            && type == QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration;
    }
    void writeDescriptor(
        const QBluetoothUuid &characteristic, QBluetoothUuid::DescriptorType, const QByteArray &value) override
    {
        descriptorWrites.append({ characteristic, value });
    }
    void writeCharacteristic(const QBluetoothUuid &characteristic, const QByteArray &value) override
    {
        writes.append({ characteristic, value });
        if (!m_script.peer)
            return;
        for (const QByteArray &answer : m_script.peer(value))
            QMetaObject::invokeMethod(
                this, [this, answer]() { emit characteristicChanged(rx(), answer); }, Qt::QueuedConnection);
    }

    void finishDiscovery()
    {
        m_state = QLowEnergyService::RemoteServiceDiscovered;
        emit stateChanged(m_state);
    }

    int discoverDetailsCalls = 0;
    QList<QPair<QBluetoothUuid, QByteArray>> descriptorWrites;
    QList<QPair<QBluetoothUuid, QByteArray>> writes;

private:
    const Script m_script;
    QLowEnergyService::ServiceState m_state = QLowEnergyService::RemoteService;
};

class ScriptedController : public device_manager::BleController
{
    Q_OBJECT

public:
    explicit ScriptedController(const Script &script) : mtuValue(script.mtu), m_script(script) { }

    QLowEnergyController::ControllerState state() const override { return controllerState; }
    QString errorString() const override { return QStringLiteral("scripted failure"); }
    int mtu() const override { return mtuValue; }
    QList<QBluetoothUuid> services() const override
    {
        return controllerState == QLowEnergyController::DiscoveredState ? m_script.services : QList<QBluetoothUuid>();
    }

    void connectToDevice() override
    {
        ++connectCalls;
        controllerState = QLowEnergyController::ConnectingState;
        if (m_script.automatic)
            QMetaObject::invokeMethod(this, &ScriptedController::finishConnecting, Qt::QueuedConnection);
    }
    void disconnectFromDevice() override
    {
        ++disconnectCalls;
        if (controllerState == QLowEnergyController::UnconnectedState)
            return;
        controllerState = QLowEnergyController::ClosingState;
        if (m_script.disconnectCompletes)
            QMetaObject::invokeMethod(this, &ScriptedController::finishDisconnecting, Qt::QueuedConnection);
    }
    void discoverServices() override
    {
        ++discoverCalls;
        controllerState = QLowEnergyController::DiscoveringState;
        if (m_script.automatic)
            QMetaObject::invokeMethod(this, &ScriptedController::finishDiscovery, Qt::QueuedConnection);
    }
    void stopAdvertising() override { ++stopAdvertisingCalls; }
    device_manager::BleService *createServiceObject(const QBluetoothUuid &) override
    {
        if (!m_script.serviceObjects)
            return nullptr;
        auto *service = new ScriptedService(m_script);
        lastService = service;
        return service;
    }

    void finishConnecting()
    {
        controllerState = QLowEnergyController::ConnectedState;
        emit connected();
    }
    void finishDiscovery()
    {
        controllerState = QLowEnergyController::DiscoveredState;
        emit discoveryFinished();
    }
    void finishDisconnecting()
    {
        controllerState = QLowEnergyController::UnconnectedState;
        emit disconnected();
    }

    QLowEnergyController::ControllerState controllerState = QLowEnergyController::UnconnectedState;
    int mtuValue;
    int connectCalls = 0;
    int disconnectCalls = 0;
    int discoverCalls = 0;
    int stopAdvertisingCalls = 0;
    QPointer<ScriptedService> lastService;

private:
    const Script m_script;
};

// The controller factory of an interface under test; keeps every controller it made.
struct Controllers
{
    Script script;
    QList<QPointer<ScriptedController>> made;

    device_manager::BleController::Factory factory()
    {
        return [this](const QBluetoothDeviceInfo &) {
            auto *controller = new ScriptedController(script);
            made.append(controller);
            return controller;
        };
    }
    ScriptedController *last() const { return made.isEmpty() ? nullptr : made.last().data(); }
};

} // namespace ble_test
