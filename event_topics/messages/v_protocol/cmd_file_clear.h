#pragma once

#include "event_topics/messages/message.h"

// Clear file `fileId` on a device.
VK_MESSAGE(v_protocol, CmdFileClear, Device, DeviceEntryField, FileIdField)
