#pragma once

#include "event_topics/messages/message.h"

// Connect to the device the user picked (`device` as discovery found it, with the password to use).
VK_MESSAGE(device_manager, CmdConnectToDevice, Device, DeviceField)
