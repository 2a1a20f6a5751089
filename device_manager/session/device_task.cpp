#include "device_manager/session/device_task.h"

namespace device_manager {

using v_protocol::TPayloadType;

DeviceTask::DeviceTask(DeviceTaskType taskType, qint32 taskSubtype, const v_protocol::TPacket &taskRequest)
    : type(taskType), subtype(taskSubtype), request(taskRequest)
{ }

bool DeviceTask::isRead() const
{
    return type == DeviceTaskType::ReadFile || type == DeviceTaskType::ReadRawFile
        || type == DeviceTaskType::ReadRawFileFast;
}

bool DeviceTask::expects(TPayloadType answer) const
{
    const bool accept = answer == TPayloadType::FileChunkAccept;
    switch (type) {
    case DeviceTaskType::Authentication: return answer == TPayloadType::AuthenticationResponse;
    case DeviceTaskType::WriteFile: return accept;
    case DeviceTaskType::ReadFile:
    case DeviceTaskType::ReadRawFile:
    case DeviceTaskType::ReadRawFileFast: return answer == TPayloadType::FileChunk || accept;
    case DeviceTaskType::ClearFile: return answer == TPayloadType::FileClearResponse || accept;
    case DeviceTaskType::Generic: break;
    }
    switch (request.payloadType) {
    case TPayloadType::CommandRequest: return answer == TPayloadType::CommandConfirmation;
    case TPayloadType::DebugRequest: return answer == TPayloadType::DebugResponse;
    case TPayloadType::FileNameRequest: return answer == TPayloadType::FileNameResponse || accept;
    default: return false;
    }
}

} // namespace device_manager
