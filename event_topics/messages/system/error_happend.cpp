#include "event_topics/messages/system/error_happend.h"

namespace event_topics::system {

using ::device_manager::TrStrings;

ErrorHappend::ErrorHappend(SubmoduleIds source, TrStrings titleIdx, TrStrings textIdx)
    : Message(source, titleIdx, textIdx, QString(), QString())
{ }

ErrorHappend::ErrorHappend(SubmoduleIds source, QString titleString, QString textString)
    : Message(source, TrStrings::NoIndex, TrStrings::NoIndex, std::move(titleString), std::move(textString))
{ }

QJsonObject ErrorHappend::toJson() const
{
    QJsonObject json;
    writeFieldJson(json, static_cast<const SubmoduleIdField &>(*this));
    if (::device_manager::hasIndex(titleIndex) || ::device_manager::hasIndex(textIndex)) {
        writeFieldJson(json, static_cast<const TitleIndexField &>(*this));
        writeFieldJson(json, static_cast<const TextIndexField &>(*this));
    } else {
        writeFieldJson(json, static_cast<const TitleField &>(*this));
        writeFieldJson(json, static_cast<const TextField &>(*this));
    }
    return json;
}

} // namespace event_topics::system
