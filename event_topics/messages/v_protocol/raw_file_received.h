#pragma once

#include "event_topics/messages/message.h"

// The end of CmdGetRawFile, with the bytes read.
VK_MESSAGE(v_protocol, RawFileReceived, Device, DeviceEntryField, FileIdField, ReceivedRawFileField, IsValidField)
