#pragma once

#include "event_topics/messages/message.h"

// A device's answer to CmdDebugRequsted.
VK_MESSAGE(v_protocol, DebugResponseReceived, Device, DeviceEntryField, DebugResponseField, IsValidField)
