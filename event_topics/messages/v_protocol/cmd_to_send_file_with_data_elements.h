#pragma once

#include "event_topics/messages/message.h"

// Write a data-element file (settings or personalization) to a device.
VK_MESSAGE(v_protocol, CmdToSendFileWithDataElements, Device, DeviceEntryField, FileTypeField, DataElementsFileField)
