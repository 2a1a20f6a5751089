#pragma once

#include "event_topics/messages/message.h"

// A parameter of an open interface changed; `interfaceInfo` holds the new values.
VK_MESSAGE(interface_manager, DeviceInterfaceParameterChanged, Device, InterfaceInfoField, ChangedParametersField)
