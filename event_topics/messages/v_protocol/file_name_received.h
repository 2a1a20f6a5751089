#pragma once

#include "event_topics/messages/message.h"

// A device's answer to CmdGetFileName.
VK_MESSAGE(v_protocol, FileNameReceived, Device, DeviceEntryField, FileNameField, IsValidField)
