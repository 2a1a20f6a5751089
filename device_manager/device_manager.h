#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "device_manager/descriptors/tr_strings.h"
#include "event_core/i_topic_subscriber.h"
#include "event_core/module_host.h"
#include "event_topics/messages/device_manager/cmd_connect_to_device.h"
#include "event_topics/messages/device_manager/cmd_connect_to_device_internal.h"
#include "event_topics/messages/device_manager/cmd_disconnect_from_device.h"
#include "event_topics/messages/interface_manager/device_interface_parameter_changed.h"
#include "event_topics/messages/interface_manager/device_interface_plugget_out.h"
#include "event_topics/messages/interface_manager/packet_received.h"
#include "event_topics/messages/v_protocol/cmd_debug_requsted.h"
#include "event_topics/messages/v_protocol/cmd_file_clear.h"
#include "event_topics/messages/v_protocol/cmd_file_requested.h"
#include "event_topics/messages/v_protocol/cmd_get_file_name.h"
#include "event_topics/messages/v_protocol/cmd_get_raw_file.h"
#include "event_topics/messages/v_protocol/cmd_send_command.h"
#include "event_topics/messages/v_protocol/cmd_send_raw_file.h"
#include "event_topics/messages/v_protocol/cmd_to_send_file_with_data_elements.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_packet.h"
#include "v_protocol/t_slave_profile.h"

#include <QHash>
#include <QString>

#include <functional>

namespace device_manager {

class VkDevice;

// The module that owns the device sessions, in a thread of its own. It keeps one VkDevice per
// connected device (keyed by its serial number), creates it when the discovery manager hands a
// device over (CmdConnectToDeviceInternal), routes every command of the application core and every
// packet of the interface manager to it, republishes everything a session reports as bus messages,
// and removes a session on a disconnect command, a plug-out of its interface, or when the session
// reports its device gone. Creating it also creates the discovery manager and then the interface
// manager; stopping it stops them after it.
class DeviceManager : public event_core::ITopicSubscriber
{
    Q_OBJECT
    friend class event_core::ModuleHost<DeviceManager>;

public:
    static DeviceManager *createInstance(QObject *parent);
    static void destroyInstance();
    static DeviceManager *instance();

    // Number of sessions in the registry (call in the manager's thread).
    int deviceCount() const { return int(_devices.size()); }

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void onConnectToDevice(event_topics::device_manager::CmdConnectToDeviceMessage message);
    void onConnectToDeviceInternal(event_topics::device_manager::CmdConnectToDeviceInternalMessage message);
    void onDisconnectFromDevice(event_topics::device_manager::CmdDisconnectFromDeviceMessage message);
    void onDeviceInterfacePluggetOut(event_topics::interface_manager::DeviceInterfacePluggetOutMessage message);
    void onDeviceInterfaceParameterChanged(
        event_topics::interface_manager::DeviceInterfaceParameterChangedMessage message);
    void onPacketReceived(event_topics::interface_manager::PacketReceivedMessage message);
    void onCmdFileRequested(event_topics::v_protocol::CmdFileRequestedMessage message);
    void onCmdFileClear(event_topics::v_protocol::CmdFileClearMessage message);
    void onCmdDebugRequsted(event_topics::v_protocol::CmdDebugRequstedMessage message);
    void onCmdToSendFileWithDataElements(event_topics::v_protocol::CmdToSendFileWithDataElementsMessage message);
    void onCmdSendCommand(event_topics::v_protocol::CmdSendCommandMessage message);
    void onCmdSendRawFile(event_topics::v_protocol::CmdSendRawFileMessage message);
    void onCmdGetFileName(event_topics::v_protocol::CmdGetFileNameMessage message);
    void onCmdGetRawFile(event_topics::v_protocol::CmdGetRawFileMessage message);

private slots:
    // Relays of the session signals (device_manager_relays.cpp).
    void _onDeviceSendPacket(device_manager::DeviceEntry deviceEntry, device_manager::DeviceInterfaceInfo interfaceInfo,
        v_protocol::TPacket packet);
    void _onDeviceAuthFailed(device_manager::DeviceEntry deviceEntry, v_protocol::TAuthResponse authResponse);
    void _onDeviceAuthSuccess(device_manager::DeviceEntry deviceEntry, v_protocol::TAuthResponse authResponse);
    void _onDeviceDisconnected(device_manager::DeviceEntry deviceEntry);
    void _onError(device_manager::TrStrings titleIndex, device_manager::TrStrings textIndex);
    void _onDebug(QString title, QString text);
    void _onApplicationInfoFileReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TApplicationInfoFile file, bool isValid);
    void _onSlaveProfileReceived(device_manager::DeviceEntry deviceEntry, v_protocol::TSlaveProfile file, bool isValid);
    void _onFileWithDataElementsReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TFileWithDataElements file, bool isValid);
    void _onfileWithDataElementsTransmitted(
        device_manager::DeviceEntry deviceEntry, v_protocol::TMandatoryFileTypes fileType, bool isValid);
    void _onRawFileTransmitted(device_manager::DeviceEntry deviceEntry, uint8_t fileId, bool isValid);
    void _onFileTableReceived(device_manager::DeviceEntry deviceEntry, v_protocol::TFileTable file, bool isValid);
    void _onFileNameReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TFileNameResponse fileNameInfo, bool isValid);
    void _onRawFileReceived(device_manager::DeviceEntry deviceEntry, uint8_t fileId, QByteArray file, bool isValid);
    void _onFileClearDone(device_manager::DeviceEntry deviceEntry, uint8_t fileId, bool isValid);
    void _onRoutineProgressUpdated(
        device_manager::DeviceEntry deviceEntry, device_manager::TrStrings titleIndex, int percentage);
    void _onDebugResponseReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TDebugResponse debugResponse, bool isValid);
    void _onCommandConfirmReceived(
        device_manager::DeviceEntry deviceEntry, v_protocol::TCommandConfirm commandConfirm, bool isValid);

public slots:
    void afterThreadStarted();
    void beforeThreadStopped();

private:
    DeviceManager();
    ~DeviceManager() override;

    // The device's name and 32-bit serial are what a session is made from.
    static bool isUsableDevice(const DeviceDiscoveryInfo &device);
    void connectSession(VkDevice *device);
    // Runs `operation` on the session of `entry`; a null message or an unknown device is only logged.
    template<class M>
    void forward(const QSharedPointer<M> &message, const std::function<ReturnCode(VkDevice &)> &operation);

    QHash<DeviceEntry, VkDevice *> _devices; // owned, children of the manager
};

} // namespace device_manager
