#pragma once

#include "event_topics/messages/message.h"

// An interface has gone (link lost or closed).
VK_MESSAGE(interface_manager, DeviceInterfacePluggetOut, Device, InterfaceInfoField)
