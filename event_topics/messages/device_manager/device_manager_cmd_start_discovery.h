#pragma once

#include "event_topics/messages/message.h"

// Start, stop or leave device scanning as `discoveryStatus` asks.
VK_MESSAGE(device_manager, DeviceManagerCmdStartDiscovery, Device, DiscoveryStatusField)
