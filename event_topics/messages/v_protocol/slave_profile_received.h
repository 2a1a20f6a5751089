#pragma once

#include "event_topics/messages/message.h"

// The slave profile of a device, read and decoded.
VK_MESSAGE(v_protocol, SlaveProfileReceived, Device, DeviceEntryField, SlaveProfileField, IsValidField)
