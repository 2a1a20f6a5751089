#pragma once

#include "device_manager/transport/i_device_interface.h"
#include "device_manager/transport/interface_manager.h"
#include "simulator/reply_item.h"

#include <QBluetoothDeviceInfo>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <atomic>
#include <memory>

class QTimer;

namespace simulator {

class DevicePark;

// A device interface whose peer is a simulated device of a DevicePark instead of a radio. It carries
// wire bytes both ways: each packet sent is serialised and handed to the device's engine, each
// packet the engine answers is parsed as a notification would be, after the delay the engine names
// (with link timing on, plus the request's own way to the device, one connection interval).
// It opens, plugs in and plugs out as the Bluetooth LE interface does, so the interface manager and
// everything above it run unchanged:
// - open() connects the engine's link (asynchronously) and reports pluggedIn with the packet size
//   of the device's link model (LinkModel::maximumPacketSize(), as a BLE interface derives it from
//   the MTU);
// - a device that is not in the park behaves like an unreachable Bluetooth device: the connection
//   fails and pluggedOut follows, without errorHappend;
// - the device dropping the link (ReplyItem::Kind::LinkDrop) is a remote disconnect: pluggedOut;
// - close() drops the engine's link; pluggedOut follows from the event loop, as a BLE link reports
//   its disconnection.
// The device is found by the address of its QBluetoothDeviceInfo and only ever used inside
// DevicePark::withEngine.
class SimulatedDeviceInterface : public device_manager::IDeviceInterface
{
    Q_OBJECT

public:
    // A planned cut of the link, shared by a test and the interfaces of one factory: each interface
    // counts the packets it carries, both ways, from the moment its link is up; the one that reaches
    // packet number `atPacket` loses that packet and its link drops as a remote disconnect
    // (pluggedOut). 0: no cut.
    struct LinkCut
    {
        std::atomic<int> atPacket { 0 };
    };

    SimulatedDeviceInterface(QObject *parent, const device_manager::DeviceInterfaceInfo &info,
        const QBluetoothDeviceInfo &deviceInfo, std::shared_ptr<DevicePark> park);
    ~SimulatedDeviceInterface() override;

    // The interface factory of a program running on simulated devices.
    static device_manager::InterfaceManager::InterfaceFactory factory(
        std::shared_ptr<DevicePark> park, std::shared_ptr<LinkCut> cut = {});

    bool isOpen() override;
    ReturnCode open() override;
    ReturnCode close() override;
    ReturnCode sendPacket(device_manager::DeviceEntry entry, v_protocol::TPacket packet) override;
    int maximumPacketSize() override;

private:
    enum class LinkState {
        Idle,
        Connecting,
        Connected,
        Closing, // the plug-out is due from the event loop
    };
    struct Due
    {
        qint64 atMs;
        ReplyItem item;
    };

    void connectLink();
    void deliverDue();
    void dropEngineLink();
    void scheduleDelivery();
    // Ends the link and emits pluggedOut; callers return right after (the receiver may delete this).
    void reportPluggedOut();
    // Counts one packet carried; true when the planned cut falls on it.
    bool cutsHere();

    const QString _address;
    const std::shared_ptr<DevicePark> _park;
    std::shared_ptr<LinkCut> _cut;
    int _carried = 0; // packets carried since the link came up
    LinkState _state = LinkState::Idle;
    int _linkPacketSize = -1;
    QList<Due> _due; // answers on their way, in delivery order
    QElapsedTimer _clock;
    QTimer *_connectTimer = nullptr;
    QTimer *_deliveryTimer = nullptr;
    QTimer *_plugOutTimer = nullptr;
};

} // namespace simulator
