#include "device_manager/device_manager.h"

#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/module_support/module_reports.h"
#include "device_manager/module_support/module_subscriptions.h"
#include "device_manager/session/vk_device.h"
#include "device_manager/transport/interface_manager.h"
#include "event_topics/messages/device_manager/device_created.h"
#include "event_topics/messages/device_manager/device_disconnected.h"
#include "event_topics/messages/interface_manager/cmd_close_interface.h"

#include <QDebug>

#include <chrono>
#include <limits>

namespace device_manager {

using namespace event_topics::device_manager;
using namespace event_topics::interface_manager;
using namespace event_topics::v_protocol;

namespace {

using Host = event_core::ModuleHost<DeviceManager>;

} // namespace

DeviceManager::DeviceManager() = default;

DeviceManager::~DeviceManager() = default; // sessions are children of the manager

DeviceManager *DeviceManager::createInstance(QObject *parent)
{
    DeviceManager *manager = Host::create(parent, std::chrono::milliseconds(1000), Q_FUNC_INFO);
    DiscoveryManager::createInstance(parent);
    InterfaceManager::createInstance(parent);
    return manager;
}

void DeviceManager::destroyInstance()
{
    Host::destroy("QMetaObject::invokeMethod( g_handler, []() { g_handler->beforeThreadStopped(); }, "
                  "Qt::BlockingQueuedConnection)");
    DiscoveryManager::destroyInstance();
    InterfaceManager::destroyInstance();
}

DeviceManager *DeviceManager::instance()
{
    return Host::instance();
}

void DeviceManager::afterThreadStarted()
{
    const ModuleSubscriptions::List subscriptions {
        { CmdConnectToDevice::topic(), QStringLiteral("onConnectToDevice") },
        { CmdConnectToDeviceInternal::topic(), QStringLiteral("onConnectToDeviceInternal") },
        { CmdDisconnectFromDevice::topic(), QStringLiteral("onDisconnectFromDevice") },
        { DeviceInterfacePluggetOut::topic(), QStringLiteral("onDeviceInterfacePluggetOut") },
        { PacketReceived::topic(), QStringLiteral("onPacketReceived") },
        { CmdFileRequested::topic(), QStringLiteral("onCmdFileRequested") },
        { CmdFileClear::topic(), QStringLiteral("onCmdFileClear") },
        { CmdDebugRequsted::topic(), QStringLiteral("onCmdDebugRequsted") },
        { CmdToSendFileWithDataElements::topic(), QStringLiteral("onCmdToSendFileWithDataElements") },
        { CmdSendCommand::topic(), QStringLiteral("onCmdSendCommand") },
        { CmdSendRawFile::topic(), QStringLiteral("onCmdSendRawFile") },
        { CmdGetFileName::topic(), QStringLiteral("onCmdGetFileName") },
        { CmdGetRawFile::topic(), QStringLiteral("onCmdGetRawFile") },
        // A link whose packet size changes after authentication: the sessions on it adopt the size.
        { DeviceInterfaceParameterChanged::topic(), QStringLiteral("onDeviceInterfaceParameterChanged") },
    };
    // On a failure no initializationDone: the host reports the time-out.
    if (return_codes::isError(ModuleSubscriptions::subscribeInOrder(*this, subscriptions)))
        return;
    emit initializationDone(QPrivateSignal());
}

void DeviceManager::beforeThreadStopped()
{
    return_codes::logIfError(unsubscribeAll());
    // Sessions go without a word: nothing is published at shutdown.
    const QList<VkDevice *> devices = _devices.values();
    _devices.clear();
    qDeleteAll(devices);
}

bool DeviceManager::isUsableDevice(const DeviceDiscoveryInfo &device)
{
    return !device.deviceInfo.Name.isEmpty() && device.deviceInfo.Serial <= std::numeric_limits<quint32>::max();
}

void DeviceManager::onConnectToDevice(CmdConnectToDeviceMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    const DeviceDiscoveryInfo &device = message->device;
    if (!isUsableDevice(device)) {
        return_codes::logBadResult(ReturnCode::ErrArgumentBadValue);
        return;
    }
    if (device.interfaceInfo.type == InterfaceType::BLE) {
        // Bluetooth LE devices come through CmdConnectToDeviceInternal once their interface exists.
        qDebug() << "DeviceManager don't deal with BLE device connection";
        return;
    }
    qWarning() << "Unexpected type of device interface! " << device.interfaceInfo;
}

void DeviceManager::onConnectToDeviceInternal(CmdConnectToDeviceInternalMessage message)
{
    if (!message) {
        _onError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    const DeviceDiscoveryInfo &device = message->device;
    if (!isUsableDevice(device)) {
        _onError(TrStrings::InvalidConnection, TrStrings::InvalidDeviceInfo);
        return_codes::logBadResult(ReturnCode::ErrArgumentBadValue);
        return;
    }
    if (device.interfaceInfo.uuid.isEmpty()) {
        _onError(TrStrings::InvalidConnection, TrStrings::InvalidInterfaceInfo);
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    const DeviceEntry entry { device.deviceInfo.Serial };
    if (_devices.contains(entry)) {
        qWarning() << "Device already existed: " << device;
        _onError(TrStrings::InvalidConnection, TrStrings::DeviceAlreadyExist);
        return;
    }

    qDebug() << "Device - try to create: " << device;
    auto *session = new VkDevice(this, device);
    connectSession(session);
    const ReturnCode result = session->authenticate();
    if (return_codes::isError(result)) {
        return_codes::logBadResult(result);
        delete session;
        _onError(TrStrings::InvalidConnection, TrStrings::NoConnectionToDevice);
        return;
    }
    _devices.insert(entry, session);
    ModuleReports::publishOrReportError(*this, new DeviceCreated(device));
}

void DeviceManager::_onDeviceDisconnected(DeviceEntry deviceEntry)
{
    qDebug() << "deviceEntry: " << deviceEntry;
    VkDevice *session = _devices.take(deviceEntry);
    if (!session) {
        qDebug() << "Unknown device: " << deviceEntry;
        return;
    }
    const DeviceInterfaceInfo interfaceInfo = session->discoveryInfo().interfaceInfo;
    // Whoever waits for a request of this device hears back before it is gone.
    session->abandonTasks();
    // The session may be the sender of the signal being handled: it goes from the event loop, and
    // nothing it does until then reaches the manager.
    disconnect(session, nullptr, this, nullptr);
    session->deleteLater();

    if (return_codes::isError(ModuleReports::publish(*this, new DeviceDisconnected(deviceEntry)))) {
        _onError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return;
    }
    if (interfaceInfo.type == InterfaceType::BLE)
        ModuleReports::publish(*this, new CmdCloseInterface(interfaceInfo));
}

void DeviceManager::onDisconnectFromDevice(CmdDisconnectFromDeviceMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    _onDeviceDisconnected(message->deviceEntry);
}

void DeviceManager::onDeviceInterfacePluggetOut(DeviceInterfacePluggetOutMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    const DeviceInterfaceInfo &interfaceInfo = message->interfaceInfo;
    if (interfaceInfo.uuid.isEmpty()) {
        qWarning() << "Invalid interface uuid!";
        return;
    }
    qDebug() << "Interface: " << interfaceInfo;
    QList<DeviceEntry> onInterface;
    for (auto it = _devices.cbegin(); it != _devices.cend(); ++it) {
        if (it.value()->discoveryInfo().interfaceInfo == interfaceInfo)
            onInterface << it.key();
    }
    for (const DeviceEntry &entry : onInterface)
        _onDeviceDisconnected(entry);
}

void DeviceManager::onDeviceInterfaceParameterChanged(DeviceInterfaceParameterChangedMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    for (VkDevice *session : std::as_const(_devices)) {
        if (session->discoveryInfo().interfaceInfo == message->interfaceInfo)
            session->onInterfaceParameterChanged(message->interfaceInfo, message->changedParameters);
    }
}

void DeviceManager::onPacketReceived(PacketReceivedMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    VkDevice *session = _devices.value(message->deviceEntry);
    if (!session) {
        qDebug() << "Receive packet for unknown device: " << message->deviceEntry;
        return;
    }
    return_codes::logIfError(session->packetReceived(message->interfaceInfo, message->packet));
}

template<class M>
void DeviceManager::forward(const QSharedPointer<M> &message, const std::function<ReturnCode(VkDevice &)> &operation)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    VkDevice *session = _devices.value(message->deviceEntry);
    if (!session) {
        qDebug() << "Unknown device " << message->deviceEntry;
        return;
    }
    return_codes::logIfError(operation(*session));
}

void DeviceManager::onCmdFileRequested(CmdFileRequestedMessage message)
{
    forward(message, [&](VkDevice &device) { return device.requestFile(message->fileType); });
}

void DeviceManager::onCmdFileClear(CmdFileClearMessage message)
{
    forward(message, [&](VkDevice &device) { return device.clearFile(message->fileId); });
}

void DeviceManager::onCmdDebugRequsted(CmdDebugRequstedMessage message)
{
    forward(message, [&](VkDevice &device) { return device.requestDebug(message->forced); });
}

void DeviceManager::onCmdToSendFileWithDataElements(CmdToSendFileWithDataElementsMessage message)
{
    forward(message, [&](VkDevice &device) { return device.sendFileWithDataElements(message->file); });
}

void DeviceManager::onCmdSendCommand(CmdSendCommandMessage message)
{
    forward(message, [&](VkDevice &device) {
        return device.sendCommand(message->commandRequest.cmdId, message->commandRequest.cmdData);
    });
}

void DeviceManager::onCmdSendRawFile(CmdSendRawFileMessage message)
{
    forward(message, [&](VkDevice &device) { return device.sendRawFile(message->fileId, message->file); });
}

void DeviceManager::onCmdGetFileName(CmdGetFileNameMessage message)
{
    forward(message, [&](VkDevice &device) { return device.requestFileName(message->fileId); });
}

void DeviceManager::onCmdGetRawFile(CmdGetRawFileMessage message)
{
    forward(message, [&](VkDevice &device) { return device.requestRawFile(message->fileId, message->fast); });
}

} // namespace device_manager
