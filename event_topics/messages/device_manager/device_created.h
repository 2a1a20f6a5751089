#pragma once

#include "event_topics/messages/message.h"

// A device session was created for `device`.
VK_MESSAGE(device_manager, DeviceCreated, Device, DeviceField)
