#include "simulator/device_definition.h"

namespace simulator {

v_protocol::TFileTable::Element FileDefinition::tableElement() const
{
    v_protocol::TFileTable::Element element;
    element.fileId = fileId;
    element.maxSize = maxSize;
    element.readPermission = read;
    element.writePermission = write;
    element.clearPermission = clear;
    element.checkCrc = checkCrc;
    element.fastReading = fastReading;
    element.format = format;
    return element;
}

bool FirmwareDefinition::isBootloader() const
{
    return appType == v_protocol::TAppType::Bootloader || appType == v_protocol::TAppType::BootloaderV2;
}

const ProfileEntry *FirmwareDefinition::profileEntry(quint16 id) const
{
    for (const ProfileEntry &entry : profile) {
        if (entry.element.id == id)
            return &entry;
    }
    return nullptr;
}

const CommandDefinition *FirmwareDefinition::command(quint16 id) const
{
    for (const CommandDefinition &command : commands) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

const FileDefinition *FirmwareDefinition::file(quint8 fileId) const
{
    for (const FileDefinition &file : files) {
        if (file.fileId == fileId)
            return &file;
    }
    return nullptr;
}

v_protocol::TSlaveProfile FirmwareDefinition::slaveProfile() const
{
    v_protocol::TSlaveProfile result;
    for (const ProfileEntry &entry : profile)
        result.elements.append(entry.element);
    return result;
}

SimulatedAdvertisement DeviceDefinition::advertisement() const
{
    return advertisement(startFirmware(), startFirmware().version);
}

SimulatedAdvertisement DeviceDefinition::advertisement(
    const FirmwareDefinition &firmware, v_protocol::TFirmwareVersion version) const
{
    SimulatedAdvertisement advertisement;
    advertisement.name = firmware.name;
    advertisement.address = address;
    advertisement.companyId = companyId;
    advertisement.rssi = rssi;
    advertisement.manufacturerData = SimulatedAdvertisement::manufacturerDataOf(
        serial, modelId, version, hardwareVersion, firmware.appType, advertisementExtra);
    return advertisement;
}

} // namespace simulator
