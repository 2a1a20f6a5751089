#pragma once

#include "event_topics/messages/message.h"

// The end of CmdToSendFileWithDataElements.
VK_MESSAGE(v_protocol, FileWithDataElementsTransmitted, Device, DeviceEntryField, FileTypeField, IsValidField)
