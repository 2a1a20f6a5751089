#pragma once

#include "event_topics/messages/message.h"

// A device's answer to CmdSendCommand.
VK_MESSAGE(v_protocol, CommandConfirmReceived, Device, DeviceEntryField, CommandConfirmField, IsValidField)
