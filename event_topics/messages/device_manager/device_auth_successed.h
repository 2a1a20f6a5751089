#pragma once

#include "event_topics/messages/message.h"

// The device accepted the password; `authResponse` is its answer.
VK_MESSAGE(device_manager, DeviceAuthSuccessed, Device, DeviceEntryField, AuthResponseField)
