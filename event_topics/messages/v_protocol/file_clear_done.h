#pragma once

#include "event_topics/messages/message.h"

// The end of CmdFileClear.
VK_MESSAGE(v_protocol, FileClearDone, Device, DeviceEntryField, FileIdField, IsValidField)
