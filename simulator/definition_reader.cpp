#include "simulator/definition_reader.h"

#include "simulator/firmware_image.h"
#include "simulator/json_reader.h"
#include "simulator/value_codec.h"
#include "v_protocol/t_auth_request.h"
#include "v_protocol/t_file_name_response.h"

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>

#include <limits>

namespace simulator {

using v_protocol::TAppType;
using v_protocol::TFileTable;
using v_protocol::TSlaveProfile;
using Types = TSlaveProfile::Types;
using DataTypes = TSlaveProfile::DataTypes;

namespace {

constexpr qint64 kMaxContentSize = 16 * 1024 * 1024;
constexpr qint64 kMaxDataElementSize = 255; // one size byte per data element
constexpr int kMinPacketSize = v_protocol::kChunkPacketOverhead + 1;
constexpr quint32 kDefaultStructuredMaxSize = 4096;
constexpr qint64 kInt32Min = std::numeric_limits<qint32>::min();
constexpr qint64 kInt32Max = std::numeric_limits<qint32>::max();

const QStringList kFirmwareKeys { "name", "firmwareVersion", "appType", "maxPacketSize", "maxImageSize", "profile",
    "files", "commands", "debug" };
const QStringList kDeviceKeys { "id", "description", "serial", "modelId", "hardwareVersion", "rootPassword",
    "userPassword", "maxAuthFailures", "address", "advertisement", "link", "startMode", "bootloader" };
const QStringList kElementKeys { "id", "type", "editable", "nameEn", "nameRu", "parentId", "dataType", "dataSize",
    "multiplier", "min", "max", "enumValues", "enumRep", "regexp", "value", "valueHex", "drift", "clock" };
const QStringList kFileKeys { "fileId", "name", "maxSize", "read", "write", "clear", "checkCrc", "fast", "format",
    "listed", "content" };

bool isStructuredFile(quint8 fileId)
{
    return fileId <= quint8(v_protocol::TMandatoryFileTypes::FileInfo) && fileId != 5 && fileId != 6 && fileId != 7;
}

bool holdsValue(const TSlaveProfile::Element &element)
{
    return element.dataType != DataTypes::TNoData
        && (element.type == Types::PersonalizationInfo || element.type == Types::SlaveSetting
            || element.type == Types::SlaveState);
}

QString checkedText(const JsonReader &reader, const QString &key, const QString &value)
{
    if (value.contains(QChar(0)))
        reader.fail(key, QStringLiteral("contains a zero character"));
    return value;
}

v_protocol::TFirmwareVersion readVersion(const JsonReader &reader, const QString &key, const QString &fallback)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})$"));
    const QString text = reader.text(key, fallback);
    const QRegularExpressionMatch match = pattern.match(text);
    const int major = match.captured(1).toInt();
    const int minor = match.captured(2).toInt();
    if (!match.hasMatch() || major > 15 || minor > 15) {
        reader.fail(key, QStringLiteral("expected \"major.minor\", each 0 ... 15"));
        return {};
    }
    return { quint8(major), quint8(minor) };
}

int defaultDataSize(DataTypes type)
{
    switch (type) {
    case DataTypes::TNoData: return 0;
    case DataTypes::TEnum:
    case DataTypes::TBinary: return 1;
    case DataTypes::TUnixtime: return 4;
    default: return -1;
    }
}

ValueDrift readDrift(const JsonReader &reader, const ProfileEntry &entry)
{
    if (!reader.has(QStringLiteral("drift")))
        return {};
    const JsonReader drift = reader.child(QStringLiteral("drift"));
    drift.allowOnly({ "step", "min", "max" });
    if (entry.element.type != Types::SlaveState || !ValueCodec::isInteger(entry.element.dataType)) {
        reader.fail(QStringLiteral("drift"), QStringLiteral("only integer state values drift"));
        return {};
    }
    qint64 low = 0;
    qint64 high = 0;
    ValueCodec::integerRange(entry.element.dataType, entry.element.dataSize, low, high);
    ValueDrift result;
    result.step = drift.requiredInteger(QStringLiteral("step"), -(high - low), high - low);
    result.low = drift.requiredInteger(QStringLiteral("min"), low, high);
    result.high = drift.requiredInteger(QStringLiteral("max"), result.low, high);
    return result;
}

ProfileEntry readElement(const JsonReader &reader)
{
    reader.allowOnly(kElementKeys);
    ProfileEntry entry;
    TSlaveProfile::Element &element = entry.element;
    element.id = quint16(reader.requiredInteger(QStringLiteral("id"), 1, 0xFFFF));
    if (!reader.has(QStringLiteral("type")))
        reader.fail(QStringLiteral("type"), QStringLiteral("missing"));
    element.type = reader.enumValue(QStringLiteral("type"), Types::SlaveSetting);
    element.editable = reader.enumValue(QStringLiteral("editable"), TSlaveProfile::Editables::NotEditable);
    element.nameEn = checkedText(reader, QStringLiteral("nameEn"), reader.requiredText(QStringLiteral("nameEn")));
    if (element.nameEn.isEmpty() || element.nameEn.contains(QLatin1Char('*')))
        reader.fail(QStringLiteral("nameEn"), QStringLiteral("must be a non-empty text without \"*\""));
    element.nameRu
        = checkedText(reader, QStringLiteral("nameRu"), reader.text(QStringLiteral("nameRu"), element.nameEn));
    element.parentId = quint16(reader.integer(QStringLiteral("parentId"), 0, 0xFFFF, 0));
    element.dataType = reader.enumValue(QStringLiteral("dataType"), DataTypes::TNoData);
    const int fallbackSize = defaultDataSize(element.dataType);
    if (fallbackSize < 0 && !reader.has(QStringLiteral("dataSize")))
        reader.fail(QStringLiteral("dataSize"), QStringLiteral("missing"));
    element.dataSize = quint16(reader.integer(QStringLiteral("dataSize"), 0, 0xFFFF, qMax(fallbackSize, 0)));
    element.multiplier = qint32(reader.integer(QStringLiteral("multiplier"), kInt32Min, kInt32Max, 1));
    element.min = qint32(reader.integer(QStringLiteral("min"), kInt32Min, kInt32Max, 0));
    element.max = qint32(reader.integer(QStringLiteral("max"), kInt32Min, kInt32Max, 0));
    element.enumValues = reader.textList(QStringLiteral("enumValues"));
    for (const QString &value : std::as_const(element.enumValues)) {
        if (value.contains(QLatin1Char('*')) || value.contains(QChar(0)))
            reader.fail(QStringLiteral("enumValues"), QStringLiteral("\"%1\" contains \"*\" or a zero").arg(value));
    }
    // On the wire an empty list reads back as one empty entry; keep the form the master decodes.
    if (element.enumValues.isEmpty())
        element.enumValues << QString();
    element.enumRep = reader.enumValue(QStringLiteral("enumRep"), TSlaveProfile::EnumReps::Dropbox);
    element.regexp = checkedText(reader, QStringLiteral("regexp"), reader.text(QStringLiteral("regexp")));

    const bool hasValue = reader.has(QStringLiteral("value")) || reader.has(QStringLiteral("valueHex"));
    if (!holdsValue(element)) {
        if (hasValue)
            reader.fail(QStringLiteral("value"),
                QStringLiteral("only settings, state and personalization "
                               "values with data are stored"));
        for (const QString &key : { QStringLiteral("drift"), QStringLiteral("clock") }) {
            if (reader.has(key))
                reader.fail(key, QStringLiteral("only stored state values drift or keep the clock"));
        }
        return entry;
    }
    if (element.dataSize > kMaxDataElementSize)
        reader.fail(QStringLiteral("dataSize"), QStringLiteral("a stored value holds at most 255 bytes"));
    if (reader.has(QStringLiteral("value")) && reader.has(QStringLiteral("valueHex")))
        reader.fail(QStringLiteral("valueHex"), QStringLiteral("give either value or valueHex"));
    if (reader.has(QStringLiteral("valueHex"))) {
        entry.value = reader.hex(QStringLiteral("valueHex"));
        if (reader.ok() && entry.value.size() != element.dataSize)
            reader.fail(QStringLiteral("valueHex"), QStringLiteral("expected %1 bytes").arg(element.dataSize));
    } else if (reader.ok()) {
        QString error;
        if (!ValueCodec::encode(reader.object().value(QStringLiteral("value")), element, entry.value, error))
            reader.fail(QStringLiteral("value"), error);
    }
    entry.drift = readDrift(reader, entry);
    entry.clock = reader.boolean(QStringLiteral("clock"), false);
    if (entry.clock && (element.type != Types::SlaveState || element.dataType != DataTypes::TUnixtime))
        reader.fail(QStringLiteral("clock"), QStringLiteral("only a TUnixtime state value keeps the clock"));
    return entry;
}

QByteArray readContent(const JsonReader &reader)
{
    reader.allowOnly({ "text", "lines", "hex", "pattern" });
    if (reader.object().size() > 1)
        reader.fail(QString(), QStringLiteral("give one of text, lines, hex, pattern"));
    if (reader.has(QStringLiteral("text")))
        return reader.text(QStringLiteral("text")).toUtf8();
    if (reader.has(QStringLiteral("lines"))) {
        QByteArray text;
        for (const QString &line : reader.textList(QStringLiteral("lines")))
            text += line.toUtf8() + '\n';
        return text;
    }
    if (reader.has(QStringLiteral("hex")))
        return reader.hex(QStringLiteral("hex"));
    if (reader.has(QStringLiteral("pattern"))) {
        const JsonReader pattern = reader.child(QStringLiteral("pattern"));
        pattern.allowOnly({ "size", "seed" });
        const qint64 size = pattern.requiredInteger(QStringLiteral("size"), 0, kMaxContentSize);
        const qint64 seed = pattern.integer(QStringLiteral("seed"), 0, 0xFFFFFFFF, 1);
        return reader.ok() ? FirmwareImage::pattern(size, quint32(seed)) : QByteArray();
    }
    return {};
}

FileDefinition readFile(const JsonReader &reader)
{
    reader.allowOnly(kFileKeys);
    FileDefinition file;
    file.fileId = quint8(reader.requiredInteger(QStringLiteral("fileId"), 0, 255));
    file.name = checkedText(reader, QStringLiteral("name"), reader.requiredText(QStringLiteral("name")));
    if (file.name.toUtf8().size() > v_protocol::TFileNameResponse::kNameSize)
        reader.fail(QStringLiteral("name"), QStringLiteral("longer than 20 bytes of UTF-8"));
    file.read = reader.enumValue(QStringLiteral("read"), TFileTable::Permission::Enabled);
    file.write = reader.enumValue(QStringLiteral("write"), TFileTable::Permission::Hidden);
    file.clear = reader.enumValue(QStringLiteral("clear"), TFileTable::Permission::Hidden);
    file.checkCrc = reader.boolean(QStringLiteral("checkCrc"), false);
    file.fastReading = reader.boolean(QStringLiteral("fast"), false);
    file.format = reader.enumValue(QStringLiteral("format"), TFileTable::Format::StandardNotErasable);
    file.listed = reader.boolean(QStringLiteral("listed"), true);
    if (reader.has(QStringLiteral("content"))) {
        if (isStructuredFile(file.fileId))
            reader.fail(QStringLiteral("content"), QStringLiteral("the device generates file %1").arg(file.fileId));
        file.content = readContent(reader.child(QStringLiteral("content")));
    }
    const qint64 fallbackMax = isStructuredFile(file.fileId) ? kDefaultStructuredMaxSize : file.content.size();
    file.maxSize = quint32(reader.integer(QStringLiteral("maxSize"), 0, 0xFFFFFFFF, fallbackMax));
    if (file.content.size() > qint64(file.maxSize))
        reader.fail(QStringLiteral("maxSize"), QStringLiteral("smaller than the content"));
    return file;
}

CommandDefinition readCommand(const JsonReader &reader, const FirmwareDefinition &firmware)
{
    reader.allowOnly({ "id", "result", "debug", "set" });
    CommandDefinition command;
    command.id = quint16(reader.requiredInteger(QStringLiteral("id"), 1, 0xFFFF));
    command.result = reader.enumValue(QStringLiteral("result"), v_protocol::TCommandResult::Success);
    command.debug = reader.text(QStringLiteral("debug"));
    const QJsonArray assignments = reader.array(QStringLiteral("set"));
    for (int i = 0; i < assignments.size() && reader.ok(); ++i) {
        const JsonReader item = reader.element(QStringLiteral("set"), assignments, i);
        item.allowOnly({ "id", "value" });
        ValueAssignment assignment;
        assignment.elementId = quint16(item.requiredInteger(QStringLiteral("id"), 1, 0xFFFF));
        const ProfileEntry *entry = firmware.profileEntry(assignment.elementId);
        QString error;
        if (!entry || !holdsValue(entry->element))
            item.fail(QStringLiteral("id"), QStringLiteral("no stored value with this id"));
        else if (!ValueCodec::encode(
                     item.object().value(QStringLiteral("value")), entry->element, assignment.value, error))
            item.fail(QStringLiteral("value"), error);
        command.assignments.append(assignment);
    }
    return command;
}

DebugScript readDebug(const JsonReader &reader)
{
    reader.allowOnly({ "boot", "periodic", "everyRequests" });
    DebugScript script;
    script.boot = reader.textList(QStringLiteral("boot"));
    script.periodic = reader.textList(QStringLiteral("periodic"));
    script.everyRequests = int(reader.integer(QStringLiteral("everyRequests"), 1, 10000, 4));
    return script;
}

FirmwareDefinition readFirmware(const JsonReader &reader, bool bootloader, const QString &fallbackName)
{
    FirmwareDefinition firmware;
    firmware.appType
        = reader.enumValue(QStringLiteral("appType"), bootloader ? TAppType::Bootloader : TAppType::Application);
    if (firmware.isBootloader() != bootloader)
        reader.fail(QStringLiteral("appType"),
            bootloader ? QStringLiteral("a bootloader is Bootloader or BootloaderV2")
                       : QStringLiteral("an application is Application or Dravik"));
    firmware.name = checkedText(reader, QStringLiteral("name"),
        bootloader ? reader.text(QStringLiteral("name"), fallbackName) : reader.requiredText(QStringLiteral("name")));
    if (firmware.name.isEmpty())
        reader.fail(QStringLiteral("name"), QStringLiteral("must not be empty"));
    if (!bootloader && !reader.has(QStringLiteral("firmwareVersion")))
        reader.fail(QStringLiteral("firmwareVersion"), QStringLiteral("missing"));
    firmware.version = readVersion(reader, QStringLiteral("firmwareVersion"), QStringLiteral("1.0"));
    firmware.maxPacketSize = quint16(reader.integer(QStringLiteral("maxPacketSize"), kMinPacketSize, 0xFFFF, 244));
    if (!bootloader && reader.has(QStringLiteral("maxImageSize")))
        reader.fail(QStringLiteral("maxImageSize"), QStringLiteral("belongs to the bootloader"));
    firmware.maxImageSize = quint32(reader.integer(QStringLiteral("maxImageSize"), 5, 0xFFFFFFFF, 512 * 1024));

    QSet<quint16> ids;
    const QJsonArray profile = reader.array(QStringLiteral("profile"));
    for (int i = 0; i < profile.size() && reader.ok(); ++i) {
        const JsonReader item = reader.element(QStringLiteral("profile"), profile, i);
        const ProfileEntry entry = readElement(item);
        if (ids.contains(entry.element.id))
            item.fail(QStringLiteral("id"), QStringLiteral("%1 appears twice").arg(entry.element.id));
        ids.insert(entry.element.id);
        firmware.profile.append(entry);
    }
    QSet<quint8> fileIds;
    const QJsonArray files = reader.array(QStringLiteral("files"));
    for (int i = 0; i < files.size() && reader.ok(); ++i) {
        const JsonReader item = reader.element(QStringLiteral("files"), files, i);
        const FileDefinition file = readFile(item);
        if (fileIds.contains(file.fileId))
            item.fail(QStringLiteral("fileId"), QStringLiteral("%1 appears twice").arg(file.fileId));
        fileIds.insert(file.fileId);
        firmware.files.append(file);
    }
    QSet<quint16> commandIds;
    const QJsonArray commands = reader.array(QStringLiteral("commands"));
    for (int i = 0; i < commands.size() && reader.ok(); ++i) {
        const JsonReader item = reader.element(QStringLiteral("commands"), commands, i);
        const CommandDefinition command = readCommand(item, firmware);
        if (commandIds.contains(command.id))
            item.fail(QStringLiteral("id"), QStringLiteral("%1 appears twice").arg(command.id));
        commandIds.insert(command.id);
        firmware.commands.append(command);
    }
    firmware.debug = readDebug(reader.child(QStringLiteral("debug")));
    return firmware;
}

QString readPassword(const JsonReader &reader, const QString &key, bool required)
{
    const QString password = required ? reader.requiredText(key) : reader.text(key);
    if ((required && password.isEmpty()) || password.toUtf8().size() > v_protocol::TAuthRequest::kPasswordSize
        || password.contains(QChar(0)))
        reader.fail(key, QStringLiteral("expected 1 ... 4 bytes of UTF-8 without zero"));
    return password;
}

LinkModel readLink(const JsonReader &reader)
{
    reader.allowOnly({ "attMtu", "connectionIntervalMs", "packetsPerEvent" });
    LinkModel link;
    link.attMtu = int(reader.integer(QStringLiteral("attMtu"), LinkModel::kDefaultAttMtu, LinkModel::kMaxAttMtu, 247));
    link.connectionIntervalUs = qRound64(reader.number(QStringLiteral("connectionIntervalMs"), 15.0) * 1000.0);
    link.packetsPerEvent = int(reader.integer(QStringLiteral("packetsPerEvent"), 1, 64, 4));
    if (reader.ok() && !link.isValid())
        reader.fail(
            QStringLiteral("connectionIntervalMs"), QStringLiteral("expected a multiple of 1.25 between 7.5 and 4000"));
    return link;
}

} // namespace

ReturnCode DefinitionReader::fromJson(const QJsonObject &json, DeviceDefinition &definition, QString &error)
{
    definition = DeviceDefinition();
    const JsonReader reader(json, QString());
    reader.allowOnly(kDeviceKeys + kFirmwareKeys);
    static const QRegularExpression idPattern(QStringLiteral("^[a-z0-9][a-z0-9_-]*$"));
    definition.id = reader.requiredText(QStringLiteral("id"));
    if (reader.ok() && !idPattern.match(definition.id).hasMatch())
        reader.fail(QStringLiteral("id"), QStringLiteral("expected lower-case letters, digits, \"-\" and \"_\""));
    definition.description = reader.text(QStringLiteral("description"));
    definition.serial = quint32(reader.requiredInteger(QStringLiteral("serial"), 1, 0xFFFFFFFF));
    definition.modelId = quint16(reader.requiredInteger(QStringLiteral("modelId"), 0, 0xFF));
    definition.hardwareVersion = quint8(reader.integer(QStringLiteral("hardwareVersion"), 0, 0xFF, 1));
    definition.rootPassword = readPassword(reader, QStringLiteral("rootPassword"), true);
    definition.userPassword = readPassword(reader, QStringLiteral("userPassword"), false);
    if (definition.userPassword == definition.rootPassword)
        reader.fail(QStringLiteral("userPassword"), QStringLiteral("must differ from the root password"));
    definition.maxAuthFailures = int(reader.integer(QStringLiteral("maxAuthFailures"), 1, 1000, 3));
    static const QRegularExpression addressPattern(QStringLiteral("^([0-9A-F]{2}:){5}[0-9A-F]{2}$"));
    definition.address = reader.requiredText(QStringLiteral("address")).toUpper();
    if (reader.ok() && !addressPattern.match(definition.address).hasMatch())
        reader.fail(QStringLiteral("address"), QStringLiteral("expected six hexadecimal pairs separated by \":\""));
    const JsonReader advertisement = reader.child(QStringLiteral("advertisement"));
    advertisement.allowOnly({ "companyId", "extraHex", "rssi" });
    definition.companyId = quint16(advertisement.integer(QStringLiteral("companyId"), 0, 0xFFFF, 0xFFFF));
    definition.advertisementExtra = advertisement.hex(QStringLiteral("extraHex"));
    definition.rssi = qint16(advertisement.integer(QStringLiteral("rssi"), -127, -1, SimulatedAdvertisement::kDefaultRssi));
    definition.link = readLink(reader.child(QStringLiteral("link")));

    const QString startMode = reader.text(QStringLiteral("startMode"), QStringLiteral("application"));
    if (startMode != QLatin1String("application") && startMode != QLatin1String("bootloader"))
        reader.fail(QStringLiteral("startMode"), QStringLiteral("expected \"application\" or \"bootloader\""));
    definition.startsInBootloader = startMode == QLatin1String("bootloader");

    definition.application = readFirmware(reader, false, QString());
    const JsonReader bootloader = reader.child(QStringLiteral("bootloader"));
    bootloader.allowOnly(kFirmwareKeys);
    definition.bootloader = readFirmware(bootloader, true, definition.application.name + QLatin1String(" BL"));

    error = reader.error();
    return reader.ok() ? ReturnCode::Ok : ReturnCode::ErrArgumentBadValue;
}

ReturnCode DefinitionReader::fromFile(const QString &path, DeviceDefinition &definition, QString &error)
{
    definition = DeviceDefinition();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return ReturnCode::ErrArgumentBadValue;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        error = QStringLiteral("%1: not a JSON object (%2 at offset %3)")
                    .arg(path, parseError.errorString())
                    .arg(parseError.offset);
        return ReturnCode::ErrArgumentBadValue;
    }
    const ReturnCode rc = fromJson(document.object(), definition, error);
    if (rc != ReturnCode::Ok)
        error = path + QLatin1String(": ") + error;
    definition.sourcePath = path;
    return rc;
}

} // namespace simulator
