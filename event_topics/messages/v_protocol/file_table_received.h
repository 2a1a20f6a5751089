#pragma once

#include "event_topics/messages/message.h"

// The file table of a device, read and decoded.
VK_MESSAGE(v_protocol, FileTableReceived, Device, DeviceEntryField, FileTableField, IsValidField)
