#pragma once

#include "event_topics/messages/message.h"

// Close the interface named by `interfaceInfo`.
VK_MESSAGE(interface_manager, CmdCloseInterface, Device, InterfaceInfoField)
