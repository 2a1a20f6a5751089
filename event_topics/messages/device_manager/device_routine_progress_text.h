#pragma once

#include "event_topics/messages/message.h"

namespace event_topics::device_manager {

// Progress of a long device routine (file transfers): the text of `titleIndex` and `percentage`
// (-1: the routine has started, no figure yet). `title` stays empty; the application core shows the
// text of the index.
struct DeviceRoutineProgressText
    : Message<DeviceRoutineProgressText, Device, DeviceEntryField, TitleField, TitleIndexField, PercentageField>
{
    DeviceRoutineProgressText(::device_manager::DeviceEntry entry, ::device_manager::TrStrings index, qint32 percent)
        : Message(std::move(entry), QString(), index, percent)
    { }
};

} // namespace event_topics::device_manager

VK_DECLARE_MESSAGE(device_manager, DeviceRoutineProgressText)
