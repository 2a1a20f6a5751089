#pragma once

#include "event_topics/messages/message.h"

// The session of `device` has ended.
VK_MESSAGE(device_manager, DeviceDisconnected, Device, DeviceEntryAsDeviceField)
