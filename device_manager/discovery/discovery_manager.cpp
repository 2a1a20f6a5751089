#include "device_manager/discovery/discovery_manager.h"

#include "device_manager/discovery/ble_device_discovery.h"
#include "device_manager/discovery/i_device_discovery.h"
#include "device_manager/module_support/module_reports.h"
#include "device_manager/module_support/module_subscriptions.h"
#include "event_topics/messages/device_manager/cmd_connect_to_device_internal.h"
#include "event_topics/messages/device_manager/device_manager_device_discovered.h"
#include "event_topics/messages/interface_manager/cmd_close_interface.h"
#include "event_topics/messages/interface_manager/cmd_create_ble_interface.h"
#include "event_topics/thread_handover.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>
#include <QUuid>

#include <limits>

namespace device_manager {

using namespace event_topics::device_manager;
using namespace event_topics::interface_manager;

namespace {

using Host = event_core::ModuleHost<DiscoveryManager>;

// What the next instance is made with; set at start-up (or by tests) before createInstance.
struct Configuration
{
    QMutex mutex;
    DiscoveryManager::DiscoveryFactory factory;
    std::chrono::milliseconds pendingConnectionTimeout = DiscoveryManager::kDefaultPendingConnectionTimeout;
};

Configuration &configuration()
{
    static Configuration instance;
    return instance;
}

DiscoveryManager::DiscoveryFactory configuredFactory()
{
    Configuration &config = configuration();
    QMutexLocker lock(&config.mutex);
    if (config.factory)
        return config.factory;
    return []() -> IDeviceDiscovery * { return new BleDeviceDiscovery(); };
}

std::chrono::milliseconds configuredTimeout()
{
    Configuration &config = configuration();
    QMutexLocker lock(&config.mutex);
    return config.pendingConnectionTimeout;
}

void logOnlyBleLine()
{
    qDebug() << "DiscoveryManager deal with only BLE device connection";
}

} // namespace

DiscoveryManager::DiscoveryManager()
    : _pendingConnectionTimeout(configuredTimeout()), _discoveryFactory(configuredFactory())
{ }

DiscoveryManager::~DiscoveryManager() = default;

DiscoveryManager *DiscoveryManager::createInstance(QObject *parent)
{
    return Host::create(parent, std::chrono::milliseconds(1000), Q_FUNC_INFO);
}

void DiscoveryManager::destroyInstance()
{
    Host::destroy("QMetaObject::invokeMethod( handler, []() { handler->beforeThreadStopped(); }, "
                  "Qt::BlockingQueuedConnection)");
}

DiscoveryManager *DiscoveryManager::instance()
{
    return Host::instance();
}

void DiscoveryManager::setDiscoveryFactory(DiscoveryFactory factory)
{
    Configuration &config = configuration();
    QMutexLocker lock(&config.mutex);
    config.factory = std::move(factory);
}

void DiscoveryManager::setPendingConnectionTimeout(std::chrono::milliseconds timeout)
{
    Configuration &config = configuration();
    QMutexLocker lock(&config.mutex);
    config.pendingConnectionTimeout = timeout;
}

void DiscoveryManager::afterThreadStarted()
{
    startScanner();
    const ModuleSubscriptions::List subscriptions {
        { DeviceManagerCmdStartDiscovery::topic(), QStringLiteral("onStartDiscovery") },
        { CmdConnectToDevice::topic(), QStringLiteral("onConnectToDevice") },
        { DeviceInterfaceCreated::topic(), QStringLiteral("onDeviceInterfaceCreated") },
        { DeviceInterfacePluggetOut::topic(), QStringLiteral("onDeviceInterfacePluggetOut") },
    };
    // On a failure no initializationDone: the host reports the time-out.
    if (return_codes::isError(ModuleSubscriptions::subscribeInOrder(*this, subscriptions)))
        return;
    emit initializationDone(QPrivateSignal());
}

void DiscoveryManager::beforeThreadStopped()
{
    return_codes::logIfError(unsubscribeAll());
    stopScanner();
    _pendingConnections.clear();
}

void DiscoveryManager::startScanner()
{
    _discovery = _discoveryFactory ? _discoveryFactory() : nullptr;
    if (!_discovery) {
        qWarning() << "No device discovery could be made";
        return;
    }
    _discoveryThread = new QThread();
    event_topics::watchThreadEnd(_discoveryThread);
    _discovery->setParent(nullptr);
    _discovery->moveToThread(_discoveryThread);
    connect(_discoveryThread, &QThread::started, _discovery, &IDeviceDiscovery::afterThreadStarted);
    // The scanner (with its platform agent) is destroyed in its own thread as that thread ends.
    connect(_discoveryThread, &QThread::finished, _discovery, &QObject::deleteLater);
    // The scanner's signals come over as queued calls into this thread (made in the scanner's
    // thread, where they are emitted, so that the thread sanitizer sees the hand-over).
    connect(
        _discovery, &IDeviceDiscovery::deviceDiscovered, this,
        [this](const DeviceDiscoveryInfo &info) { queueHere([this, info]() { _deviceDiscovered(info); }); },
        Qt::DirectConnection);
    connect(
        _discovery, &IDeviceDiscovery::errorHappend, this,
        [this](TrStrings title, TrStrings text) { queueHere([this, title, text]() { _onError(title, text); }); },
        Qt::DirectConnection);
    connect(
        _discovery, &IDeviceDiscovery::debugHappend, this,
        [this](
            const QString &title, const QString &text) { queueHere([this, title, text]() { _onDebug(title, text); }); },
        Qt::DirectConnection);
    if (!event_core::startThreadAndWait(
            _discoveryThread, _discovery, &IDeviceDiscovery::initializationDone, kScannerStartWait))
        event_core::logInitializationTimeout(Q_FUNC_INFO);
}

void DiscoveryManager::queueHere(std::function<void()> call)
{
    if (!event_topics::queueCall(this, std::move(call)))
        event_core::logInvalidInvoke("QMetaObject::invokeMethod( this, call, Qt::QueuedConnection)");
}

void DiscoveryManager::stopScanner()
{
    if (!_discovery)
        return;
    event_core::runBeforeThreadStopped(_discovery,
        "QMetaObject::invokeMethod( _discovery, [this]() { _discovery->beforeThreadStopped(); }, "
        "Qt::BlockingQueuedConnection)");
    _discoveryThread->quit();
    event_topics::waitForThreadEnd(_discoveryThread);
    delete _discoveryThread;
    _discoveryThread = nullptr;
    _discovery = nullptr; // deleted as its thread ended
}

void DiscoveryManager::onStartDiscovery(DeviceManagerCmdStartDiscoveryMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    switch (message->discoveryStatus.bleDiscovering) {
    case DiscoveryState::Active:
        if (!_discovery) {
            _onError(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDiscovery);
            return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
            return;
        }
        return_codes::logIfError(_discovery->startDiscovery());
        break;
    case DiscoveryState::Inactive:
        if (_discovery)
            return_codes::logIfError(_discovery->stopDiscovery());
        break;
    case DiscoveryState::Indifferent: break;
    }
}

void DiscoveryManager::onConnectToDevice(CmdConnectToDeviceMessage message)
{
    if (!message) {
        _onError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    const DeviceDiscoveryInfo &device = message->device;
    if (device.deviceInfo.Name.isEmpty() || device.deviceInfo.Serial > std::numeric_limits<quint32>::max()) {
        _onError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return_codes::logBadResult(ReturnCode::ErrArgumentBadValue);
        return;
    }
    if (device.interfaceInfo.type != InterfaceType::BLE) {
        logOnlyBleLine();
        return;
    }
    if (!_discovery) {
        _onError(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDiscovery);
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return;
    }
    const QBluetoothDeviceInfo bluetoothInfo = _discovery->deviceInfoFor(device);
    if (!bluetoothInfo.isValid()) {
        qDebug() << "Invalid BluetoothInfo for " << device;
        _onError(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDeviceDiscoveryInfo);
        return_codes::logBadResult(ReturnCode::ErrArgumentBadValue);
        return;
    }

    DeviceInterfaceInfo interfaceInfo = device.interfaceInfo;
    if (interfaceInfo.uuid.isEmpty())
        interfaceInfo.uuid = QUuid::createUuid().toString(QUuid::WithBraces);
    if (return_codes::isError(
            ModuleReports::publishOrReportError(*this, new CmdCreateBleInterface(interfaceInfo, bluetoothInfo))))
        return;

    const quint64 attempt = _pendingConnections.add(interfaceInfo, device.deviceInfo);
    const QString uuid = interfaceInfo.uuid;
    QTimer::singleShot(
        _pendingConnectionTimeout, this, [this, uuid, attempt]() { pendingConnectionTimedOut(uuid, attempt); });
}

void DiscoveryManager::pendingConnectionTimedOut(const QString &uuid, quint64 attempt)
{
    // A later attempt under the same uuid has a time-out of its own.
    const std::optional<PendingConnections::Connection> pending = _pendingConnections.takeExpired(uuid, attempt);
    if (!pending)
        return;
    qWarning() << "Interface creation timeout for: "
               << DeviceDiscoveryInfo { pending->interfaceInfo, pending->deviceInfo };
    ModuleReports::publishOrReportError(*this, new CmdCloseInterface(pending->interfaceInfo));
}

void DiscoveryManager::onDeviceInterfaceCreated(DeviceInterfaceCreatedMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    const DeviceInterfaceInfo &interfaceInfo = message->interfaceInfo;
    if (interfaceInfo.type != InterfaceType::BLE) {
        logOnlyBleLine();
        return;
    }
    const std::optional<PendingConnections::Connection> pending = _pendingConnections.take(interfaceInfo.uuid);
    if (!pending) {
        qDebug().noquote() << QStringLiteral("BLE interface with uuid[%1] - NOT FOUND!").arg(interfaceInfo.uuid);
        _onError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    // The interface's descriptor now carries the packet size the link reported.
    return_codes::logIfError(
        publish(new CmdConnectToDeviceInternal(DeviceDiscoveryInfo { interfaceInfo, pending->deviceInfo })));
}

void DiscoveryManager::onDeviceInterfacePluggetOut(DeviceInterfacePluggetOutMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    if (message->interfaceInfo.type != InterfaceType::BLE) {
        logOnlyBleLine();
        return;
    }
    _pendingConnections.take(message->interfaceInfo.uuid);
}

void DiscoveryManager::_deviceDiscovered(DeviceDiscoveryInfo deviceInfo)
{
    return_codes::logIfError(publish(new DeviceManagerDeviceDiscovered(std::move(deviceInfo))));
}

void DiscoveryManager::_onError(TrStrings titleIndex, TrStrings textIndex)
{
    ModuleReports::error(*this, titleIndex, textIndex);
}

void DiscoveryManager::_onDebug(QString title, QString text)
{
    ModuleReports::debug(*this, title, text);
}

} // namespace device_manager
