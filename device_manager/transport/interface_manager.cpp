#include "device_manager/transport/interface_manager.h"

#include "device_manager/module_support/module_reports.h"
#include "device_manager/module_support/module_subscriptions.h"
#include "device_manager/transport/ble_device_interface.h"
#include "event_topics/messages/device_manager/cmd_disconnect_from_device.h"
#include "event_topics/messages/device_manager/device_discovered_internal.h"
#include "event_topics/messages/interface_manager/device_interface_created.h"
#include "event_topics/messages/interface_manager/device_interface_parameter_changed.h"
#include "event_topics/messages/interface_manager/device_interface_plugget_out.h"
#include "event_topics/messages/interface_manager/packet_received.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>

#include <chrono>

namespace device_manager {

namespace im = event_topics::interface_manager;

namespace {

using Host = event_core::ModuleHost<InterfaceManager>;

QMutex g_factoryMutex;
InterfaceManager::InterfaceFactory &nextFactory()
{
    static InterfaceManager::InterfaceFactory factory;
    return factory;
}

InterfaceManager::InterfaceFactory takeFactory()
{
    QMutexLocker lock(&g_factoryMutex);
    return nextFactory() ? nextFactory() : InterfaceManager::bleInterfaceFactory();
}

} // namespace

InterfaceManager::InterfaceManager() : _factory(takeFactory()) { }

InterfaceManager::~InterfaceManager()
{
    qDeleteAll(_interfaces);
}

InterfaceManager *InterfaceManager::createInstance(QObject *parent)
{
    return Host::create(parent, std::chrono::milliseconds(1000), Q_FUNC_INFO);
}

void InterfaceManager::destroyInstance()
{
    Host::destroy("QMetaObject::invokeMethod( g_handler, []() { g_handler->beforeThreadStopped(); }, "
                  "Qt::BlockingQueuedConnection)");
}

InterfaceManager *InterfaceManager::instance()
{
    return Host::instance();
}

void InterfaceManager::setInterfaceFactory(InterfaceFactory factory)
{
    QMutexLocker lock(&g_factoryMutex);
    nextFactory() = std::move(factory);
}

InterfaceManager::InterfaceFactory InterfaceManager::bleInterfaceFactory()
{
    return [](QObject *parent, const DeviceInterfaceInfo &info, const QBluetoothDeviceInfo &deviceInfo) {
        return new BleDeviceInterface(parent, info, deviceInfo);
    };
}

void InterfaceManager::afterThreadStarted()
{
    const ReturnCode rc = ModuleSubscriptions::subscribeInOrder(*this,
        {
            { im::CmdSendPacket::topic(), QStringLiteral("onCmdSendPacket") },
            { im::CmdCreateBleInterface::topic(), QStringLiteral("onCmdCreateBleInterface") },
            { im::CmdCloseInterface::topic(), QStringLiteral("onCmdCloseInterface") },
        });
    // On a failure no initializationDone: the host reports the time-out.
    if (return_codes::isError(rc))
        return;
    emit initializationDone(QPrivateSignal());
}

void InterfaceManager::beforeThreadStopped()
{
    return_codes::logIfError(unsubscribeAll());
    // Destroying an interface emits nothing: no DeviceInterfacePluggetOut at shutdown.
    const QList<IDeviceInterface *> interfaces = _interfaces.values();
    _interfaces.clear();
    qDeleteAll(interfaces);
}

void InterfaceManager::onCmdSendPacket(im::CmdSendPacketMessage message)
{
    if (!message) {
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    IDeviceInterface *interface = _interfaces.value(message->interfaceInfo);
    if (!interface) {
        qDebug() << "Interface not found: " << message->interfaceInfo;
        return;
    }
    return_codes::logIfError(interface->sendPacket(message->deviceEntry, message->packet));
}

void InterfaceManager::onCmdCreateBleInterface(im::CmdCreateBleInterfaceMessage message)
{
    if (!isWellFormed(message ? &message->interfaceInfo : nullptr))
        return;
    const DeviceInterfaceInfo info = message->interfaceInfo;
    if (_interfaces.contains(info)) {
        qWarning() << "Interface aleady exist: " << info;
        publishError(TrStrings::InvalidConnection, TrStrings::InterfaceAlreadyExist);
        return;
    }
    if (!message->bluetoothInfo.isValid()) {
        publishError(TrStrings::InvalidConnection, TrStrings::InvalidBluetoothDiscovery);
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    IDeviceInterface *interface = _factory(this, info, message->bluetoothInfo);
    if (!interface) {
        publishError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return_codes::logBadResult(ReturnCode::ErrInternalError);
        return;
    }
    connectInterface(interface);
    _interfaces.insert(info, interface);

    const ReturnCode rc = interface->open();
    if (rc < 0) {
        return_codes::logBadResult(rc);
        ModuleReports::publishOrReportError(*this, new im::CmdCloseInterface(info));
    }
}

void InterfaceManager::onCmdCloseInterface(im::CmdCloseInterfaceMessage message)
{
    if (!isWellFormed(message ? &message->interfaceInfo : nullptr))
        return;
    const DeviceInterfaceInfo info = message->interfaceInfo;
    IDeviceInterface *interface = _interfaces.value(info);
    if (!interface) {
        qDebug() << "Interface not found: " << info;
        return;
    }
    const ReturnCode rc = interface->close();
    if (rc < 0) {
        return_codes::logBadResult(rc);
        _onPluggedOut(info);
    }
}

void InterfaceManager::_onPluggedIn(DeviceInterfaceInfo interfaceInfo)
{
    ModuleReports::publishOrReportError(*this, new im::DeviceInterfaceCreated(interfaceInfo));
}

void InterfaceManager::_onConnectionLost(DeviceEntry deviceEntry, DeviceInterfaceInfo interfaceInfo)
{
    ModuleReports::publish(
        *this, new event_topics::device_manager::CmdDisconnectFromDevice(deviceEntry, interfaceInfo));
}

void InterfaceManager::_onPluggedOut(DeviceInterfaceInfo interfaceInfo)
{
    if (interfaceInfo.uuid.isEmpty()) {
        qWarning() << "Invalid interface Uuid!";
        return;
    }
    IDeviceInterface *interface = _interfaces.value(interfaceInfo);
    if (!interface) {
        qDebug() << "Interface not found: " << interfaceInfo;
        return;
    }
    discard(interface);
    qDebug() << "Interface pluggetOut: " << interfaceInfo;
    ModuleReports::publish(*this, new im::DeviceInterfacePluggetOut(interfaceInfo));
}

void InterfaceManager::_onDataReceived(
    DeviceEntry deviceEntry, DeviceInterfaceInfo interfaceInfo, v_protocol::TPacket packet)
{
    ModuleReports::publish(*this, new im::PacketReceived(deviceEntry, interfaceInfo, packet));
}

void InterfaceManager::_onError(TrStrings titleIndex, TrStrings textIndex)
{
    publishError(titleIndex, textIndex);
}

void InterfaceManager::_onDebug(QString text)
{
    ModuleReports::debug(*this, QStringLiteral("Interface debug"), text);
}

void InterfaceManager::_onParameterChanged(
    DeviceInterfaceInfo interfaceInfo, ChangedInterfaceParameters changedParameters)
{
    ModuleReports::publish(*this, new im::DeviceInterfaceParameterChanged(interfaceInfo, changedParameters));
}

void InterfaceManager::_onDeviceDiscovered(DeviceDiscoveryInfo discoveryInfo)
{
    ModuleReports::publish(*this, new event_topics::device_manager::DeviceDiscoveredInternal(discoveryInfo));
}

bool InterfaceManager::isWellFormed(const DeviceInterfaceInfo *info)
{
    if (!info || info->uuid.isEmpty()) {
        publishError(TrStrings::InvalidConnection, TrStrings::InternalError);
        return_codes::logBadResult(info ? ReturnCode::ErrArgumentBadValue : ReturnCode::ErrInternalError);
        return false;
    }
    return true;
}

void InterfaceManager::publishError(TrStrings titleIndex, TrStrings textIndex)
{
    ModuleReports::error(*this, titleIndex, textIndex);
}

void InterfaceManager::connectInterface(IDeviceInterface *interface)
{
    connect(interface, &IDeviceInterface::connectionLost, this, &InterfaceManager::_onConnectionLost);
    connect(interface, &IDeviceInterface::pluggedIn, this, &InterfaceManager::_onPluggedIn);
    connect(interface, &IDeviceInterface::pluggedOut, this, &InterfaceManager::_onPluggedOut);
    connect(interface, &IDeviceInterface::dataReceived, this, &InterfaceManager::_onDataReceived);
    connect(interface, &IDeviceInterface::errorHappend, this, &InterfaceManager::_onError);
    connect(interface, &IDeviceInterface::debugHappend, this, &InterfaceManager::_onDebug);
    connect(interface, &IDeviceInterface::parameterChanged, this, &InterfaceManager::_onParameterChanged);
}

void InterfaceManager::discard(IDeviceInterface *interface)
{
    _interfaces.remove(_interfaces.key(interface));
    disconnect(interface, nullptr, this, nullptr);
    interface->deleteLater();
}

} // namespace device_manager
