#pragma once

#include "event_topics/messages/message.h"

// Discovery found a device of this system.
VK_MESSAGE(device_manager, DeviceManagerDeviceDiscovered, Device, DiscoveredDeviceField)
