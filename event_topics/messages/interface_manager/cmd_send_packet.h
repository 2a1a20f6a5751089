#pragma once

#include "event_topics/messages/message.h"

// Send `packet` to a device over the given interface.
VK_MESSAGE(interface_manager, CmdSendPacket, Device, DeviceEntryField, InterfaceInfoField, PacketField)
