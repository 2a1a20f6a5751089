#pragma once

#include "event_topics/messages/message.h"

// The end of CmdSendRawFile.
VK_MESSAGE(v_protocol, RawFileTransmitted, Device, DeviceEntryField, FileIdField, IsValidField)
