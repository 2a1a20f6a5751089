#pragma once

#include "event_topics/messages/message.h"

// Ask a device for the name of file `fileId`.
VK_MESSAGE(v_protocol, CmdGetFileName, Device, DeviceEntryField, FileIdField)
