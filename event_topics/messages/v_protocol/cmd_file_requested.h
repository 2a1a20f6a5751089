#pragma once

#include "event_topics/messages/message.h"

// Read and decode one of the structured device files.
VK_MESSAGE(v_protocol, CmdFileRequested, Device, DeviceEntryField, FileTypeField)
