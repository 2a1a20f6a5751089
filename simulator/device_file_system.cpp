#include "simulator/device_file_system.h"

#include "simulator/value_codec.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"

namespace simulator {

using v_protocol::TFileTable;
using v_protocol::TMandatoryFileTypes;
using v_protocol::TSlaveProfile;
using v_protocol::TSystemFileResult;
using Permission = TFileTable::Permission;

namespace {

constexpr quint32 kStructuredMaxSize = 4096;
constexpr quint32 kBootloaderImageMaxSize = 0xFFFF + 4;

quint8 id(TMandatoryFileTypes type)
{
    return quint8(type);
}

QString defaultName(quint8 fileId)
{
    switch (TMandatoryFileTypes(fileId)) {
    case TMandatoryFileTypes::ApplicationInfoFile: return QStringLiteral("info");
    case TMandatoryFileTypes::PersonalizationFile: return QStringLiteral("personalization");
    case TMandatoryFileTypes::SettingsFile: return QStringLiteral("settings");
    case TMandatoryFileTypes::StateFile: return QStringLiteral("state");
    case TMandatoryFileTypes::SlaveProfile: return QStringLiteral("profile");
    case TMandatoryFileTypes::FileInfo: return QStringLiteral("files");
    case TMandatoryFileTypes::ApplicationFile: return QStringLiteral("application");
    case TMandatoryFileTypes::BootloaderFile: return QStringLiteral("bootloader");
    default: return QString();
    }
}

} // namespace

DeviceFileSystem::DeviceFileSystem(const FirmwareDefinition &firmware, quint16 modelId, quint8 hardwareVersion)
    : _firmware(firmware),
      _modelId(modelId),
      _hardwareVersion(hardwareVersion),
      _version(firmware.version),
      _files(firmware.files)
{
    for (quint8 fileId : { id(TMandatoryFileTypes::ApplicationInfoFile), id(TMandatoryFileTypes::StateFile),
             id(TMandatoryFileTypes::SlaveProfile), id(TMandatoryFileTypes::FileInfo) })
        addDefaultFile(fileId, Permission::Hidden, kStructuredMaxSize);
    for (quint8 fileId : { id(TMandatoryFileTypes::PersonalizationFile), id(TMandatoryFileTypes::SettingsFile) })
        addDefaultFile(fileId, Permission::Enabled, kStructuredMaxSize);
    if (firmware.isBootloader()) {
        addDefaultFile(id(TMandatoryFileTypes::ApplicationFile), Permission::Enabled, firmware.maxImageSize);
        addDefaultFile(
            id(TMandatoryFileTypes::BootloaderFile), Permission::RootEnabledUserDisabled, kBootloaderImageMaxSize);
    }
    resetValues(TSlaveProfile::Types::PersonalizationInfo);
    resetValues(TSlaveProfile::Types::SlaveSetting);
    resetValues(TSlaveProfile::Types::SlaveState);
}

void DeviceFileSystem::addDefaultFile(quint8 fileId, Permission write, quint32 maxSize)
{
    if (file(fileId))
        return;
    FileDefinition entry;
    entry.fileId = fileId;
    entry.name = defaultName(fileId);
    entry.maxSize = maxSize;
    const bool image
        = fileId == id(TMandatoryFileTypes::ApplicationFile) || fileId == id(TMandatoryFileTypes::BootloaderFile);
    entry.read = image ? Permission::Hidden : Permission::Enabled;
    entry.write = write;
    entry.checkCrc = !image && fileId != id(TMandatoryFileTypes::ApplicationInfoFile)
        && fileId != id(TMandatoryFileTypes::SlaveProfile);
    entry.listed = false;
    _files.append(entry);
}

const FileDefinition *DeviceFileSystem::file(quint8 fileId) const
{
    for (const FileDefinition &entry : _files) {
        if (entry.fileId == fileId)
            return &entry;
    }
    return nullptr;
}

QString DeviceFileSystem::name(quint8 fileId) const
{
    const FileDefinition *entry = file(fileId);
    return entry ? entry->name : QString();
}

bool DeviceFileSystem::allows(Permission permission, AccessLevel level)
{
    switch (permission) {
    case Permission::Enabled: return level != AccessLevel::None;
    case Permission::RootEnabledUserDisabled: return level == AccessLevel::Root;
    case Permission::RootDisabledUserEnabled: return level == AccessLevel::User;
    case Permission::Hidden: return false;
    }
    return false;
}

bool DeviceFileSystem::mayEdit(TSlaveProfile::Editables editable, AccessLevel level)
{
    switch (editable) {
    case TSlaveProfile::Editables::Editable: return level != AccessLevel::None;
    case TSlaveProfile::Editables::RootEditable:
    case TSlaveProfile::Editables::UserHiddenRootEditable: return level == AccessLevel::Root;
    case TSlaveProfile::Editables::NotEditable:
    case TSlaveProfile::Editables::UserHiddenRootVisible: return false;
    }
    return false;
}

bool DeviceFileSystem::elementTypeOfFile(quint8 fileId, TSlaveProfile::Types &type)
{
    switch (TMandatoryFileTypes(fileId)) {
    case TMandatoryFileTypes::PersonalizationFile: type = TSlaveProfile::Types::PersonalizationInfo; return true;
    case TMandatoryFileTypes::SettingsFile: type = TSlaveProfile::Types::SlaveSetting; return true;
    case TMandatoryFileTypes::StateFile: type = TSlaveProfile::Types::SlaveState; return true;
    default: return false;
    }
}

TSystemFileResult DeviceFileSystem::checkRead(quint8 fileId, AccessLevel level) const
{
    const FileDefinition *entry = file(fileId);
    if (!entry)
        return TSystemFileResult::UnknownFileIdentifier;
    return allows(entry->read, level) ? TSystemFileResult::FileResultSuccess
                                      : TSystemFileResult::FileResultOperationNotAllowed;
}

TSystemFileResult DeviceFileSystem::checkWrite(quint8 fileId, quint64 fileSize, AccessLevel level) const
{
    const FileDefinition *entry = file(fileId);
    if (!entry)
        return TSystemFileResult::UnknownFileIdentifier;
    if (!allows(entry->write, level))
        return TSystemFileResult::FileResultOperationNotAllowed;
    return fileSize > entry->maxSize ? TSystemFileResult::FileSizeTooBig : TSystemFileResult::FileResultSuccess;
}

QByteArray DeviceFileSystem::image(quint8 fileId) const
{
    switch (TMandatoryFileTypes(fileId)) {
    case TMandatoryFileTypes::ApplicationInfoFile: {
        v_protocol::TApplicationInfoFile info;
        info.ModelId = _modelId;
        info.HardwareVersion = _hardwareVersion;
        info.FirmwareVersion = _version;
        info.Name = _firmware.name;
        return info.toByteArray();
    }
    case TMandatoryFileTypes::PersonalizationFile:
    case TMandatoryFileTypes::SettingsFile:
    case TMandatoryFileTypes::StateFile: return dataElementFile(fileId);
    case TMandatoryFileTypes::SlaveProfile: return _firmware.slaveProfile().toByteArray();
    case TMandatoryFileTypes::FileInfo: {
        TFileTable table;
        for (const FileDefinition &entry : _files) {
            if (entry.listed)
                table.elements.append(entry.tableElement());
        }
        return table.toByteArray();
    }
    default: break;
    }
    const FileDefinition *entry = file(fileId);
    return entry ? entry->content : QByteArray();
}

QByteArray DeviceFileSystem::dataElementFile(quint8 fileId) const
{
    TSlaveProfile::Types type;
    elementTypeOfFile(fileId, type);
    v_protocol::TFileWithDataElements data;
    data.fileId = fileId;
    for (const ProfileEntry &entry : _firmware.profile) {
        if (entry.element.type != type || !_values.contains(entry.element.id))
            continue;
        v_protocol::TFileWithDataElements::Element element;
        element.id = entry.element.id;
        element.data = _values.value(entry.element.id);
        element.dataSize = quint8(element.data.size());
        data.elements.append(element);
    }
    return data.toByteArray();
}

TSystemFileResult DeviceFileSystem::storeWritten(quint8 fileId, const QByteArray &data, AccessLevel level)
{
    const TSystemFileResult allowed = checkWrite(fileId, quint64(data.size()), level);
    if (allowed != TSystemFileResult::FileResultSuccess)
        return allowed;
    TSlaveProfile::Types type;
    if (elementTypeOfFile(fileId, type))
        return storeDataElements(fileId, data, level);
    switch (TMandatoryFileTypes(fileId)) {
    case TMandatoryFileTypes::ApplicationInfoFile:
    case TMandatoryFileTypes::SlaveProfile:
    case TMandatoryFileTypes::FileInfo: return TSystemFileResult::FileResultOperationNotAllowed; // generated
    default: break;
    }
    for (FileDefinition &entry : _files) {
        if (entry.fileId == fileId)
            entry.content = data;
    }
    return TSystemFileResult::FileResultSuccess;
}

TSystemFileResult DeviceFileSystem::storeDataElements(quint8 fileId, const QByteArray &data, AccessLevel level)
{
    v_protocol::TFileWithDataElements file;
    // The state file's CRC is not enforced when reading; a device still checks what it is given.
    const ReturnCode rc
        = v_protocol::TFileWithDataElements::fromByteArray(quint8(TMandatoryFileTypes::SettingsFile), data, file);
    if (rc == ReturnCode::ErrParsingInvalidCrc)
        return TSystemFileResult::FileResultCrcError;
    if (rc != ReturnCode::Ok)
        return TSystemFileResult::FileResultUnknownError;

    TSlaveProfile::Types type;
    elementTypeOfFile(fileId, type);
    for (const auto &element : std::as_const(file.elements)) {
        const ProfileEntry *entry = _firmware.profileEntry(element.id);
        if (!entry || entry->element.type != type || !_values.contains(element.id)
            || element.data.size() != entry->element.dataSize)
            return TSystemFileResult::FileResultOperationNotAllowed;
        if (element.data != _values.value(element.id) && !mayEdit(entry->element.editable, level))
            return TSystemFileResult::FileResultOperationNotAllowed;
    }
    for (const auto &element : std::as_const(file.elements))
        _values.insert(element.id, element.data);
    return TSystemFileResult::FileResultSuccess;
}

TSystemFileResult DeviceFileSystem::clear(quint8 fileId, AccessLevel level)
{
    const FileDefinition *entry = file(fileId);
    if (!entry)
        return TSystemFileResult::UnknownFileIdentifier;
    if (!allows(entry->clear, level))
        return TSystemFileResult::FileResultOperationNotAllowed;
    TSlaveProfile::Types type;
    if (elementTypeOfFile(fileId, type)) {
        resetValues(type);
        return TSystemFileResult::FileResultSuccess;
    }
    for (FileDefinition &file : _files) {
        if (file.fileId == fileId)
            file.content.clear();
    }
    return TSystemFileResult::FileResultSuccess;
}

void DeviceFileSystem::resetValues(TSlaveProfile::Types type)
{
    for (const ProfileEntry &entry : _firmware.profile) {
        if (entry.element.type != type || entry.element.dataType == TSlaveProfile::DataTypes::TNoData)
            continue;
        _values.insert(entry.element.id, entry.value);
        if (entry.drift.isActive())
            _driftSteps.insert(entry.element.id, entry.drift.step);
    }
}

bool DeviceFileSystem::setValue(quint16 elementId, const QByteArray &value)
{
    if (!_values.contains(elementId) || _values.value(elementId).size() != value.size())
        return false;
    _values.insert(elementId, value);
    return true;
}

void DeviceFileSystem::advanceDrift()
{
    for (const ProfileEntry &entry : _firmware.profile) {
        if (!entry.drift.isActive() || !_values.contains(entry.element.id))
            continue;
        const bool isSigned = entry.element.dataType == TSlaveProfile::DataTypes::TInteger
            || entry.element.dataType == TSlaveProfile::DataTypes::TBinary;
        qint64 step = _driftSteps.value(entry.element.id, entry.drift.step);
        qint64 next = ValueCodec::readInteger(_values.value(entry.element.id), isSigned) + step;
        if (next > entry.drift.high || next < entry.drift.low) {
            next = qBound(entry.drift.low, next, entry.drift.high);
            _driftSteps.insert(entry.element.id, -step);
        }
        _values.insert(entry.element.id, ValueCodec::littleEndian(next, entry.element.dataSize));
    }
}

void DeviceFileSystem::setClock(quint32 secondsSince1970)
{
    for (const ProfileEntry &entry : _firmware.profile) {
        if (entry.clock && _values.contains(entry.element.id))
            _values.insert(entry.element.id, ValueCodec::littleEndian(secondsSince1970, entry.element.dataSize));
    }
}

} // namespace simulator
