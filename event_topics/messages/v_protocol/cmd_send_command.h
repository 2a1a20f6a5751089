#pragma once

#include "event_topics/messages/message.h"

// Run a command on a device.
VK_MESSAGE(v_protocol, CmdSendCommand, Device, DeviceEntryField, CommandRequestField)
