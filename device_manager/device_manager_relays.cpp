// The device manager's relays: every signal of a session becomes one bus message.
#include "device_manager/device_manager.h"

#include "device_manager/module_support/module_reports.h"
#include "device_manager/session/vk_device.h"
#include "event_topics/messages/device_manager/device_auth_failed.h"
#include "event_topics/messages/device_manager/device_auth_successed.h"
#include "event_topics/messages/device_manager/device_routine_progress_text.h"
#include "event_topics/messages/interface_manager/cmd_send_packet.h"
#include "event_topics/messages/v_protocol/application_info_file_received.h"
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

namespace device_manager {

namespace dm = event_topics::device_manager;
namespace im = event_topics::interface_manager;
namespace vp = event_topics::v_protocol;

void DeviceManager::connectSession(VkDevice *device)
{
    connect(device, &VkDevice::sendPacket, this, &DeviceManager::_onDeviceSendPacket);
    connect(device, &VkDevice::authFailed, this, &DeviceManager::_onDeviceAuthFailed);
    connect(device, &VkDevice::authSuccess, this, &DeviceManager::_onDeviceAuthSuccess);
    connect(device, &VkDevice::disconnected, this, &DeviceManager::_onDeviceDisconnected);
    connect(device, &VkDevice::errorHappend, this, &DeviceManager::_onError);
    connect(device, &VkDevice::debugHappend, this, &DeviceManager::_onDebug);
    connect(device, &VkDevice::applicationInfoFileReceived, this, &DeviceManager::_onApplicationInfoFileReceived);
    connect(device, &VkDevice::slaveProfileReceived, this, &DeviceManager::_onSlaveProfileReceived);
    connect(device, &VkDevice::fileWithDataElementsReceived, this, &DeviceManager::_onFileWithDataElementsReceived);
    connect(
        device, &VkDevice::fileWithDataElementsTransmitted, this, &DeviceManager::_onfileWithDataElementsTransmitted);
    connect(device, &VkDevice::rawFileTransmitted, this, &DeviceManager::_onRawFileTransmitted);
    connect(device, &VkDevice::fileTableReceived, this, &DeviceManager::_onFileTableReceived);
    connect(device, &VkDevice::fileNameReceived, this, &DeviceManager::_onFileNameReceived);
    connect(device, &VkDevice::rawFileReceived, this, &DeviceManager::_onRawFileReceived);
    connect(device, &VkDevice::fileClearDone, this, &DeviceManager::_onFileClearDone);
    connect(device, &VkDevice::routineProgressUpdated, this, &DeviceManager::_onRoutineProgressUpdated);
    connect(device, &VkDevice::debugResponseReceived, this, &DeviceManager::_onDebugResponseReceived);
    connect(device, &VkDevice::commandConfirmReceived, this, &DeviceManager::_onCommandConfirmReceived);
}

void DeviceManager::_onDeviceSendPacket(
    DeviceEntry deviceEntry, DeviceInterfaceInfo interfaceInfo, v_protocol::TPacket packet)
{
    ModuleReports::publish(*this, new im::CmdSendPacket(deviceEntry, interfaceInfo, packet));
}

void DeviceManager::_onDeviceAuthFailed(DeviceEntry deviceEntry, v_protocol::TAuthResponse authResponse)
{
    ModuleReports::publishOrReportError(*this, new dm::DeviceAuthFailed(deviceEntry, authResponse));
}

void DeviceManager::_onDeviceAuthSuccess(DeviceEntry deviceEntry, v_protocol::TAuthResponse authResponse)
{
    ModuleReports::publishOrReportError(*this, new dm::DeviceAuthSuccessed(deviceEntry, authResponse));
}

void DeviceManager::_onError(TrStrings titleIndex, TrStrings textIndex)
{
    ModuleReports::error(*this, titleIndex, textIndex);
}

void DeviceManager::_onDebug(QString title, QString text)
{
    ModuleReports::debug(*this, title, text);
}

void DeviceManager::_onApplicationInfoFileReceived(
    DeviceEntry deviceEntry, v_protocol::TApplicationInfoFile file, bool isValid)
{
    ModuleReports::publish(*this, new vp::ApplicationInfoFileReceived(deviceEntry, file, isValid));
}

void DeviceManager::_onSlaveProfileReceived(DeviceEntry deviceEntry, v_protocol::TSlaveProfile file, bool isValid)
{
    ModuleReports::publish(*this, new vp::SlaveProfileReceived(deviceEntry, file, isValid));
}

void DeviceManager::_onFileWithDataElementsReceived(
    DeviceEntry deviceEntry, v_protocol::TFileWithDataElements file, bool isValid)
{
    const auto fileType = v_protocol::TMandatoryFileTypes(file.fileId);
    ModuleReports::publish(*this, new vp::FileWithDataElementsReceived(deviceEntry, fileType, file, isValid));
}

void DeviceManager::_onfileWithDataElementsTransmitted(
    DeviceEntry deviceEntry, v_protocol::TMandatoryFileTypes fileType, bool isValid)
{
    ModuleReports::publish(*this, new vp::FileWithDataElementsTransmitted(deviceEntry, fileType, isValid));
}

void DeviceManager::_onRawFileTransmitted(DeviceEntry deviceEntry, uint8_t fileId, bool isValid)
{
    ModuleReports::publish(*this, new vp::RawFileTransmitted(deviceEntry, fileId, isValid));
}

void DeviceManager::_onFileTableReceived(DeviceEntry deviceEntry, v_protocol::TFileTable file, bool isValid)
{
    ModuleReports::publish(*this, new vp::FileTableReceived(deviceEntry, file, isValid));
}

void DeviceManager::_onFileNameReceived(
    DeviceEntry deviceEntry, v_protocol::TFileNameResponse fileNameInfo, bool isValid)
{
    ModuleReports::publish(*this, new vp::FileNameReceived(deviceEntry, fileNameInfo, isValid));
}

void DeviceManager::_onRawFileReceived(DeviceEntry deviceEntry, uint8_t fileId, QByteArray file, bool isValid)
{
    ModuleReports::publish(*this, new vp::RawFileReceived(deviceEntry, fileId, file, isValid));
}

void DeviceManager::_onFileClearDone(DeviceEntry deviceEntry, uint8_t fileId, bool isValid)
{
    ModuleReports::publish(*this, new vp::FileClearDone(deviceEntry, fileId, isValid));
}

void DeviceManager::_onRoutineProgressUpdated(DeviceEntry deviceEntry, TrStrings titleIndex, int percentage)
{
    ModuleReports::publish(*this, new dm::DeviceRoutineProgressText(deviceEntry, titleIndex, percentage));
}

void DeviceManager::_onDebugResponseReceived(
    DeviceEntry deviceEntry, v_protocol::TDebugResponse debugResponse, bool isValid)
{
    ModuleReports::publish(*this, new vp::DebugResponseReceived(deviceEntry, debugResponse, isValid));
}

void DeviceManager::_onCommandConfirmReceived(
    DeviceEntry deviceEntry, v_protocol::TCommandConfirm commandConfirm, bool isValid)
{
    ModuleReports::publish(*this, new vp::CommandConfirmReceived(deviceEntry, commandConfirm, isValid));
}

} // namespace device_manager
