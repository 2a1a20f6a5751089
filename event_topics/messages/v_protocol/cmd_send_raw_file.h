#pragma once

#include "event_topics/messages/message.h"

// Write raw bytes into file `fileId` of a device.
VK_MESSAGE(v_protocol, CmdSendRawFile, Device, DeviceEntryField, FileIdField, OutgoingRawFileField)
