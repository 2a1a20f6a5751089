#pragma once

#include "event_topics/messages/message.h"

// The device refused the password (or did not answer); `authResponse` is its answer.
VK_MESSAGE(device_manager, DeviceAuthFailed, Device, DeviceEntryField, AuthResponseField)
