#pragma once

// Every message of the bus, for modules that handle many of them and for start-up registration.
#include "event_topics/messages/device_manager/cmd_connect_to_device.h"
#include "event_topics/messages/device_manager/cmd_connect_to_device_internal.h"
#include "event_topics/messages/device_manager/cmd_disconnect_from_device.h"
#include "event_topics/messages/device_manager/device_auth_failed.h"
#include "event_topics/messages/device_manager/device_auth_successed.h"
#include "event_topics/messages/device_manager/device_created.h"
#include "event_topics/messages/device_manager/device_disconnected.h"
#include "event_topics/messages/device_manager/device_discovered_internal.h"
#include "event_topics/messages/device_manager/device_manager_cmd_start_discovery.h"
#include "event_topics/messages/device_manager/device_manager_device_discovered.h"
#include "event_topics/messages/device_manager/device_routine_progress_text.h"
#include "event_topics/messages/interface_manager/cmd_close_interface.h"
#include "event_topics/messages/interface_manager/cmd_create_ble_interface.h"
#include "event_topics/messages/interface_manager/cmd_send_packet.h"
#include "event_topics/messages/interface_manager/device_interface_created.h"
#include "event_topics/messages/interface_manager/device_interface_parameter_changed.h"
#include "event_topics/messages/interface_manager/device_interface_plugget_out.h"
#include "event_topics/messages/interface_manager/packet_received.h"
#include "event_topics/messages/system/debug_happend.h"
#include "event_topics/messages/system/error_happend.h"
#include "event_topics/messages/v_protocol/application_info_file_received.h"
#include "event_topics/messages/v_protocol/cmd_debug_requsted.h"
#include "event_topics/messages/v_protocol/cmd_file_clear.h"
#include "event_topics/messages/v_protocol/cmd_file_requested.h"
#include "event_topics/messages/v_protocol/cmd_get_file_name.h"
#include "event_topics/messages/v_protocol/cmd_get_raw_file.h"
#include "event_topics/messages/v_protocol/cmd_send_command.h"
#include "event_topics/messages/v_protocol/cmd_send_raw_file.h"
#include "event_topics/messages/v_protocol/cmd_to_send_file_with_data_elements.h"
#include "event_topics/messages/v_protocol/command_confirm_received.h"
#include "event_topics/messages/v_protocol/debug_response_received.h"
#include "event_topics/messages/v_protocol/file_clear_done.h"
#include "event_topics/messages/v_protocol/file_name_received.h"
#include "event_topics/messages/v_protocol/file_table_received.h"
#include "event_topics/messages/v_protocol/file_with_data_elements_received.h"
#include "event_topics/messages/v_protocol/file_with_data_elements_transmitted.h"
#include "event_topics/messages/v_protocol/raw_file_received.h"
#include "event_topics/messages/v_protocol/raw_file_transmitted.h"
#include "event_topics/messages/v_protocol/slave_profile_received.h"

namespace event_topics {

template<class... M> struct MessageList
{
    static constexpr int size = int(sizeof...(M));
};

using MessageCatalogue = MessageList<device_manager::CmdConnectToDevice, device_manager::CmdConnectToDeviceInternal,
    device_manager::CmdDisconnectFromDevice, device_manager::DeviceAuthFailed, device_manager::DeviceAuthSuccessed,
    device_manager::DeviceCreated, device_manager::DeviceDisconnected, device_manager::DeviceDiscoveredInternal,
    device_manager::DeviceManagerCmdStartDiscovery, device_manager::DeviceManagerDeviceDiscovered,
    device_manager::DeviceRoutineProgressText, interface_manager::CmdCloseInterface,
    interface_manager::CmdCreateBleInterface, interface_manager::CmdSendPacket,
    interface_manager::DeviceInterfaceCreated, interface_manager::DeviceInterfaceParameterChanged,
    interface_manager::DeviceInterfacePluggetOut, interface_manager::PacketReceived,
    v_protocol::ApplicationInfoFileReceived, v_protocol::CmdDebugRequsted, v_protocol::CmdFileClear,
    v_protocol::CmdFileRequested, v_protocol::CmdGetFileName, v_protocol::CmdGetRawFile, v_protocol::CmdSendCommand,
    v_protocol::CmdSendRawFile, v_protocol::CmdToSendFileWithDataElements, v_protocol::CommandConfirmReceived,
    v_protocol::DebugResponseReceived, v_protocol::FileClearDone, v_protocol::FileNameReceived,
    v_protocol::FileTableReceived, v_protocol::FileWithDataElementsReceived,
    v_protocol::FileWithDataElementsTransmitted, v_protocol::RawFileReceived, v_protocol::RawFileTransmitted,
    v_protocol::SlaveProfileReceived, system::DebugHappend, system::ErrorHappend>;

} // namespace event_topics
