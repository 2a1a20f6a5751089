#pragma once

#include "event_topics/messages/message.h"

// The application info file of a device, read and decoded (`isValid` false: the read failed).
VK_MESSAGE(v_protocol, ApplicationInfoFileReceived, Device, DeviceEntryField, ApplicationInfoFileField, IsValidField)
