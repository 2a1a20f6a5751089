#pragma once

#include "device_manager/descriptors/device_discovery_info.h"
#include "device_manager/descriptors/device_entry.h"
#include "device_manager/descriptors/device_interface_info.h"
#include "device_manager/descriptors/discovery_status.h"
#include "device_manager/descriptors/interface_parameter_flag.h"
#include "device_manager/descriptors/submodule_ids.h"
#include "device_manager/descriptors/tr_strings.h"
#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_command_confirm.h"
#include "v_protocol/t_command_request.h"
#include "v_protocol/t_debug_response.h"
#include "v_protocol/t_file_name_response.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_packet.h"
#include "v_protocol/t_slave_profile.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1String>
#include <QString>

// The fields messages are made of. A field is a base class of the messages that carry it, holding
// one read-only public member: `message->deviceEntry`, `message->isValid`. Its debug JSON key is the
// member's name; the value is the member's own debug form (jsonValue below) unless the field says
// otherwise (writeFieldJson overloads below).
#define VK_MESSAGE_FIELD(Field, Type, name)                                                                            \
    struct Field                                                                                                       \
    {                                                                                                                  \
        using ValueType = Type;                                                                                        \
        static constexpr const char *key = #name;                                                                      \
        const Type name;                                                                                               \
    }

namespace event_topics {

VK_MESSAGE_FIELD(DeviceEntryField, ::device_manager::DeviceEntry, deviceEntry);
VK_MESSAGE_FIELD(InterfaceInfoField, ::device_manager::DeviceInterfaceInfo, interfaceInfo);
VK_MESSAGE_FIELD(DeviceField, ::device_manager::DeviceDiscoveryInfo, device);
VK_MESSAGE_FIELD(DeviceEntryAsDeviceField, ::device_manager::DeviceEntry, device);
VK_MESSAGE_FIELD(DiscoveredDeviceField, ::device_manager::DeviceDiscoveryInfo, discoveredDevice);
VK_MESSAGE_FIELD(DiscoveryStatusField, ::device_manager::DiscoveryStatus, discoveryStatus);
VK_MESSAGE_FIELD(ChangedParametersField, ::device_manager::ChangedInterfaceParameters, changedParameters);
VK_MESSAGE_FIELD(SubmoduleIdField, ::SubmoduleIds, submoduleId);
VK_MESSAGE_FIELD(TitleIndexField, ::device_manager::TrStrings, titleIndex);
VK_MESSAGE_FIELD(TextIndexField, ::device_manager::TrStrings, textIndex);
VK_MESSAGE_FIELD(TitleField, QString, title);
VK_MESSAGE_FIELD(TextField, QString, text);
VK_MESSAGE_FIELD(PercentageField, qint32, percentage);
VK_MESSAGE_FIELD(IsValidField, bool, isValid);
VK_MESSAGE_FIELD(ForcedField, bool, forced);
VK_MESSAGE_FIELD(FastField, bool, fast); // not in the debug form
VK_MESSAGE_FIELD(FileIdField, quint8, fileId);
VK_MESSAGE_FIELD(FileTypeField, ::v_protocol::TMandatoryFileTypes, fileType);
VK_MESSAGE_FIELD(PacketField, ::v_protocol::TPacket, packet);
VK_MESSAGE_FIELD(AuthResponseField, ::v_protocol::TAuthResponse, authResponse);
VK_MESSAGE_FIELD(CommandRequestField, ::v_protocol::TCommandRequest, commandRequest);
VK_MESSAGE_FIELD(CommandConfirmField, ::v_protocol::TCommandConfirm, commandConfirm);
VK_MESSAGE_FIELD(DebugResponseField, ::v_protocol::TDebugResponse, debugResponse); // not in the debug form
VK_MESSAGE_FIELD(FileNameField, ::v_protocol::TFileNameResponse, fileName); // shown as "fileId" and "fileName"
VK_MESSAGE_FIELD(ApplicationInfoFileField, ::v_protocol::TApplicationInfoFile, file);
VK_MESSAGE_FIELD(FileTableField, ::v_protocol::TFileTable, file);
VK_MESSAGE_FIELD(DataElementsFileField, ::v_protocol::TFileWithDataElements, file);
VK_MESSAGE_FIELD(SlaveProfileField, ::v_protocol::TSlaveProfile, file);
VK_MESSAGE_FIELD(OutgoingRawFileField, QByteArray, file); // "RAW data size[<bytes>]"
VK_MESSAGE_FIELD(ReceivedRawFileField, QByteArray, file); // "RAW data <bytes> bytes"

// Debug forms of field values. File contents never go into the log: a file stands as its kind.
inline QJsonValue jsonValue(bool value)
{
    return value;
}
inline QJsonValue jsonValue(qint32 value)
{
    return value;
}
inline QJsonValue jsonValue(quint8 value)
{
    return value;
}
inline QJsonValue jsonValue(const QString &value)
{
    return value;
}
inline QJsonValue jsonValue(::device_manager::TrStrings index)
{
    return qint32(index);
}
QJsonValue jsonValue(::SubmoduleIds id);
QJsonValue jsonValue(::device_manager::ChangedInterfaceParameters parameters);
QJsonValue jsonValue(::v_protocol::TMandatoryFileTypes fileType);
QJsonValue jsonValue(const ::v_protocol::TApplicationInfoFile &file);
QJsonValue jsonValue(const ::v_protocol::TFileWithDataElements &file);
QJsonValue jsonValue(const ::v_protocol::TSlaveProfile &file);
// Descriptors and payloads: their own JSON.
template<class T> auto jsonValue(const T &value) -> decltype(QJsonValue(value.toJson()))
{
    return value.toJson();
}

// Writes one field into a message's debug form.
template<class Field> void writeFieldJson(QJsonObject &json, const Field &field)
{
    const auto &[value] = field;
    json.insert(QLatin1String(Field::key), jsonValue(value));
}
inline void writeFieldJson(QJsonObject &, const FastField &) { }
inline void writeFieldJson(QJsonObject &, const DebugResponseField &) { }
void writeFieldJson(QJsonObject &json, const FileNameField &field);
void writeFieldJson(QJsonObject &json, const OutgoingRawFileField &field);
void writeFieldJson(QJsonObject &json, const ReceivedRawFileField &field);

} // namespace event_topics
