#pragma once

#include "event_topics/messages/message.h"

// A device seen by an interface (reported by the interface manager).
VK_MESSAGE(device_manager, DeviceDiscoveredInternal, Device, DiscoveredDeviceField)
