#pragma once

#include "event_topics/messages/message.h"

// Ask a device for its debug output.
VK_MESSAGE(v_protocol, CmdDebugRequsted, Device, DeviceEntryField, ForcedField)
