#pragma once

#include "event_topics/messages/message.h"

namespace event_topics::system {

// A user-facing error; the application core ends the connection and shows it. Either by text
// indexes (the device-side modules: `title` and `text` empty) or by texts (both indexes NoIndex).
// The debug form shows "title" and "text" when neither index is set, otherwise the two indexes.
struct ErrorHappend
    : Message<ErrorHappend, System, SubmoduleIdField, TitleIndexField, TextIndexField, TitleField, TextField>
{
    ErrorHappend(SubmoduleIds source, ::device_manager::TrStrings titleIdx, ::device_manager::TrStrings textIdx);
    ErrorHappend(SubmoduleIds source, QString titleString, QString textString);

    QJsonObject toJson() const override;
};

} // namespace event_topics::system

VK_DECLARE_MESSAGE(system, ErrorHappend)
