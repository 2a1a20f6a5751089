#pragma once

#include "event_topics/messages/message.h"

// A packet arrived from a device over the given interface.
VK_MESSAGE(interface_manager, PacketReceived, Device, DeviceEntryField, InterfaceInfoField, PacketField)
