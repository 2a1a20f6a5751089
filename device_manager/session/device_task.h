#pragma once

#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_chunked_file.h"
#include "v_protocol/t_packet.h"

#include <QMetaType>

namespace device_manager {

// What a device task does. Generic tasks are one request and one answer (command, debug request,
// file name request).
enum class DeviceTaskType : qint32 {
    Generic = 0,
    Authentication = 1,
    WriteFile = 2,
    ReadFile = 3,
    ReadRawFile = 4,
    ReadRawFileFast = 5,
    ClearFile = 6,
};

// One unit of work of a device session: a request sent when the task starts, and for file transfers
// the chunks and the last chunk request.
struct DeviceTask
{
    DeviceTaskType type = DeviceTaskType::Generic;
    // The file id of a file task, the request's payload type of a generic task; -1 when unset.
    qint32 subtype = -1;
    v_protocol::TPacket request;
    // Chunks received (read tasks) or still to send (write task).
    v_protocol::TChunkedFile chunks;
    // The last chunk request sent (raw reads: the opening request too).
    v_protocol::TChunkRequest window;

    DeviceTask(DeviceTaskType taskType, qint32 taskSubtype, const v_protocol::TPacket &taskRequest);

    bool isRead() const;
    bool isTransfer() const { return isRead() || type == DeviceTaskType::WriteFile; }

    // Whether a packet of `answer` type is an answer to this task: the response to its request, a
    // chunk for a read, a chunk accept for a write. A chunk accept also answers the requests a device
    // refuses with one (reads, clearing, file names); commands, debug and authentication requests
    // have answers of their own even when refused.
    bool expects(v_protocol::TPayloadType answer) const;
};

} // namespace device_manager

Q_DECLARE_METATYPE(device_manager::DeviceTaskType)
