#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/tr_strings.h"
#include "device_manager/discovery/pending_connections.h"
#include "event_core/i_topic_subscriber.h"
#include "event_core/module_host.h"
#include "event_topics/messages/device_manager/cmd_connect_to_device.h"
#include "event_topics/messages/device_manager/device_manager_cmd_start_discovery.h"
#include "event_topics/messages/interface_manager/device_interface_created.h"
#include "event_topics/messages/interface_manager/device_interface_plugget_out.h"

#include <QString>
#include <QThread>

#include <chrono>
#include <functional>

namespace device_manager {

class IDeviceDiscovery;

// The discovery module. Runs its scanner in a further thread, publishes every device the scanner
// reports, and turns a connect command into a BLE interface (asked of the interface manager) and,
// once that interface is plugged in, into the device manager's internal connect command.
//
// Bus: "onStartDiscovery" (DeviceManagerCmdStartDiscovery), "onConnectToDevice" (CmdConnectToDevice),
// "onDeviceInterfaceCreated" (DeviceInterfaceCreated), "onDeviceInterfacePluggetOut"
// (DeviceInterfacePluggetOut); publishes DeviceManagerDeviceDiscovered, CmdCreateBleInterface,
// CmdConnectToDeviceInternal, CmdCloseInterface (interface creation time-out), ErrorHappend and
// DebugHappend.
class DiscoveryManager : public event_core::ITopicSubscriber
{
    Q_OBJECT
    friend class event_core::ModuleHost<DiscoveryManager>;

public:
    using DiscoveryFactory = std::function<IDeviceDiscovery *()>;

    static constexpr std::chrono::milliseconds kDefaultPendingConnectionTimeout { 60000 };
    static constexpr std::chrono::milliseconds kScannerStartWait { 1000 };

    static DiscoveryManager *createInstance(QObject *parent);
    static void destroyInstance();
    static DiscoveryManager *instance();

    // The scanner the next instance creates (BleDeviceDiscovery unless set; an empty function
    // restores it). Set once at start-up, before createInstance.
    static void setDiscoveryFactory(DiscoveryFactory factory);
    // How long an interface may take to plug in after CmdCreateBleInterface before it is closed.
    // Before createInstance.
    static void setPendingConnectionTimeout(std::chrono::milliseconds timeout);

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void onStartDiscovery(event_topics::device_manager::DeviceManagerCmdStartDiscoveryMessage message);
    void onConnectToDevice(event_topics::device_manager::CmdConnectToDeviceMessage message);
    void onDeviceInterfaceCreated(event_topics::interface_manager::DeviceInterfaceCreatedMessage message);
    void onDeviceInterfacePluggetOut(event_topics::interface_manager::DeviceInterfacePluggetOutMessage message);

private slots:
    void _deviceDiscovered(device_manager::DeviceDiscoveryInfo deviceInfo);
    void _onError(device_manager::TrStrings titleIndex, device_manager::TrStrings textIndex);
    void _onDebug(QString title, QString text);

public slots:
    void afterThreadStarted();
    void beforeThreadStopped();

private:
    DiscoveryManager();
    ~DiscoveryManager() override;

    void startScanner();
    void stopScanner();
    // Queues `call` into this module's thread (from any thread).
    void queueHere(std::function<void()> call);
    void pendingConnectionTimedOut(const QString &uuid, quint64 attempt);

    const std::chrono::milliseconds _pendingConnectionTimeout;
    const DiscoveryFactory _discoveryFactory;
    IDeviceDiscovery *_discovery = nullptr;
    QThread *_discoveryThread = nullptr;
    PendingConnections _pendingConnections;
};

} // namespace device_manager
