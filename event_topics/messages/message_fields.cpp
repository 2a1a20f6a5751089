#include "event_topics/messages/message_fields.h"

namespace event_topics {

QJsonValue jsonValue(::SubmoduleIds id)
{
    return ::toText(id);
}

QJsonValue jsonValue(::device_manager::ChangedInterfaceParameters parameters)
{
    return ::device_manager::toText(parameters);
}

QJsonValue jsonValue(::v_protocol::TMandatoryFileTypes fileType)
{
    return ::v_protocol::toText(fileType);
}

QJsonValue jsonValue(const ::v_protocol::TApplicationInfoFile &)
{
    return QStringLiteral("ApplicationInfoFile");
}

QJsonValue jsonValue(const ::v_protocol::TFileWithDataElements &)
{
    return QStringLiteral("FileWithDataElements");
}

QJsonValue jsonValue(const ::v_protocol::TSlaveProfile &)
{
    return QStringLiteral("SlaveProfile");
}

void writeFieldJson(QJsonObject &json, const FileNameField &field)
{
    json.insert(QLatin1String("fileId"), field.fileName.fileId);
    json.insert(QLatin1String("fileName"), field.fileName.fileName);
}

void writeFieldJson(QJsonObject &json, const OutgoingRawFileField &field)
{
    json.insert(QLatin1String("file"), QStringLiteral("RAW data size[%1]").arg(field.file.size()));
}

void writeFieldJson(QJsonObject &json, const ReceivedRawFileField &field)
{
    json.insert(QLatin1String("file"), QStringLiteral("RAW data %1 bytes").arg(field.file.size()));
}

} // namespace event_topics
