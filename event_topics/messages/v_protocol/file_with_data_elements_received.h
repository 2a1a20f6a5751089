#pragma once

#include "event_topics/messages/message.h"

// A data-element file (personalization, settings or state), read and decoded.
VK_MESSAGE(v_protocol, FileWithDataElementsReceived, Device, DeviceEntryField, FileTypeField, DataElementsFileField,
    IsValidField)
