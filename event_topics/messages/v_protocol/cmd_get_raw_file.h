#pragma once

#include "event_topics/messages/message.h"

// Read file `fileId` as raw bytes; `fast` asks for windowed reading.
VK_MESSAGE(v_protocol, CmdGetRawFile, Device, DeviceEntryField, FileIdField, FastField)
