#pragma once

#include "event_topics/messages/message.h"

// An interface is open; `interfaceInfo` carries its uuid and maximum packet size.
VK_MESSAGE(interface_manager, DeviceInterfaceCreated, Device, InterfaceInfoField)
