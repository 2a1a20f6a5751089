#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "device_manager/descriptors/interface_parameter_flag.h"
#include "device_manager/descriptors/tr_strings.h"
#include "event_core/i_topic_subscriber.h"
#include "event_core/module_host.h"
#include "event_topics/messages/interface_manager/cmd_close_interface.h"
#include "event_topics/messages/interface_manager/cmd_create_ble_interface.h"
#include "event_topics/messages/interface_manager/cmd_send_packet.h"
#include "v_protocol/t_packet.h"

#include <QBluetoothDeviceInfo>
#include <QHash>

#include <functional>

namespace device_manager {

class IDeviceInterface;

// The bus module that owns every open device interface, in a thread of its own. It turns the
// commands CmdCreateBleInterface, CmdCloseInterface and CmdSendPacket into operations on its
// interfaces and relays what the interfaces report to the bus (DeviceInterfaceCreated,
// DeviceInterfacePluggetOut, PacketReceived, ...). Interfaces are made by the interface factory set
// at start-up: Bluetooth LE by default, simulated devices when the program runs on its simulator.
class InterfaceManager : public event_core::ITopicSubscriber
{
    Q_OBJECT
    friend class event_core::ModuleHost<InterfaceManager>;

public:
    // Makes the interface for a descriptor and a device; `parent` is the manager. Runs in the
    // manager's thread. May return null, which refuses the creation.
    using InterfaceFactory = std::function<IDeviceInterface *(
        QObject *parent, const DeviceInterfaceInfo &info, const QBluetoothDeviceInfo &deviceInfo)>;

    static InterfaceManager *createInstance(QObject *parent);
    static void destroyInstance();
    static InterfaceManager *instance();

    // The factory the next instance will use, set before createInstance; an empty factory restores
    // the default, bleInterfaceFactory().
    static void setInterfaceFactory(InterfaceFactory factory);
    static InterfaceFactory bleInterfaceFactory();

    ~InterfaceManager() override;

    // Number of interfaces in the registry (call in the manager's thread).
    int interfaceCount() const { return int(_interfaces.size()); }

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void onCmdSendPacket(event_topics::interface_manager::CmdSendPacketMessage message);
    void onCmdCreateBleInterface(event_topics::interface_manager::CmdCreateBleInterfaceMessage message);
    void onCmdCloseInterface(event_topics::interface_manager::CmdCloseInterfaceMessage message);

private slots:
    void _onPluggedIn(device_manager::DeviceInterfaceInfo interfaceInfo);
    void _onConnectionLost(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo);
    void _onPluggedOut(device_manager::DeviceInterfaceInfo interfaceInfo);
    void _onDataReceived(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo,
        v_protocol::TPacket packet);
    void _onError(device_manager::TrStrings titleIndex, device_manager::TrStrings textIndex);
    void _onDebug(QString text);
    void _onParameterChanged(device_manager::DeviceInterfaceInfo interfaceInfo,
        device_manager::ChangedInterfaceParameters changedParameters);
    void _onDeviceDiscovered(device_manager::DeviceDiscoveryInfo discoveryInfo);

public slots:
    void afterThreadStarted();
    void beforeThreadStopped();

private:
    InterfaceManager();

    // A create or close command names an interface: the interface descriptor of a message (null for
    // a null message) with a uuid. Otherwise ErrorHappend(0, 2), the code logged, and false.
    bool isWellFormed(const DeviceInterfaceInfo *info);
    // ErrorHappend from the device manager's side with two text indexes.
    void publishError(TrStrings titleIndex, TrStrings textIndex);
    void connectInterface(IDeviceInterface *interface);
    // Removes the interface from the registry and deletes it once control is back in the event loop
    // (it may be the sender of the signal being handled); nothing it emits reaches the manager after.
    void discard(IDeviceInterface *interface);

    const InterfaceFactory _factory;
    QHash<DeviceInterfaceInfo, IDeviceInterface *> _interfaces; // owned
};

} // namespace device_manager
