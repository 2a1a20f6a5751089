#pragma once

#include "event_topics/messages/message.h"

// Disconnect a device from the given interface.
VK_MESSAGE(device_manager, CmdDisconnectFromDevice, Device, DeviceEntryField, InterfaceInfoField)
