#pragma once

#include "event_topics/messages/message.h"

// Hands a device to the device manager once its interface exists: `device` carries that interface's
// descriptor (uuid and maximum packet size).
VK_MESSAGE(device_manager, CmdConnectToDeviceInternal, Device, DeviceField)
