#pragma once

#include "simulator/link_model.h"
#include "simulator/simulated_advertisement.h"
#include "v_protocol/protocol_enums.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_slave_profile.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace simulator {

// A state value that moves on every read of the state file: it changes by `step` and turns back at
// `low` and `high` (integers of the element's data type).
struct ValueDrift
{
    qint64 step = 0;
    qint64 low = 0;
    qint64 high = 0;

    bool isActive() const { return step != 0; }
};

// One profile element with the value the device starts with.
struct ProfileEntry
{
    v_protocol::TSlaveProfile::Element element;
    QByteArray value; // dataSize bytes for elements that hold a value, else empty
    ValueDrift drift; // state values only
    bool clock = false; // a TUnixtime state value set by time synchronisation
};

// One entry of the file table, with the content of a raw file.
struct FileDefinition
{
    quint8 fileId = 0;
    QString name; // at most 20 bytes of UTF-8 (the file name answer)
    quint32 maxSize = 0;
    v_protocol::TFileTable::Permission read = v_protocol::TFileTable::Permission::Enabled;
    v_protocol::TFileTable::Permission write = v_protocol::TFileTable::Permission::Hidden;
    v_protocol::TFileTable::Permission clear = v_protocol::TFileTable::Permission::Hidden;
    bool checkCrc = false;
    bool fastReading = false;
    v_protocol::TFileTable::Format format = v_protocol::TFileTable::Format::StandardNotErasable;
    bool listed = true; // part of the file table (file 8)
    QByteArray content; // raw files; structured files are generated

    v_protocol::TFileTable::Element tableElement() const;
};

// A value a command sets on the device.
struct ValueAssignment
{
    quint16 elementId = 0;
    QByteArray value;
};

// How the device answers one command id (ids not listed: Success for the standard commands and the
// command elements of the profile, Unknown for the rest).
struct CommandDefinition
{
    quint16 id = 0;
    v_protocol::TCommandResult result = v_protocol::TCommandResult::Success;
    QString debug; // queued debug text
    QList<ValueAssignment> assignments;
};

// The device's debug output: lines queued at start-up, and lines queued in turn every
// `everyRequests` debug requests ("{n}" in a periodic line becomes a running number).
struct DebugScript
{
    QStringList boot;
    QStringList periodic;
    int everyRequests = 0;
};

// One of the two firmwares of a device: the application or the bootloader.
struct FirmwareDefinition
{
    v_protocol::TAppType appType = v_protocol::TAppType::Application;
    QString name; // application info name, advertised name
    v_protocol::TFirmwareVersion version;
    quint16 maxPacketSize = 244; // announced in the authentication response
    quint32 maxImageSize = 512 * 1024; // bootloader: largest upload of file 6 (CRC included)
    QList<ProfileEntry> profile;
    QList<FileDefinition> files; // file table and raw files; structured files not listed get defaults
    QList<CommandDefinition> commands;
    DebugScript debug;

    bool isBootloader() const;
    const ProfileEntry *profileEntry(quint16 id) const;
    const CommandDefinition *command(quint16 id) const;
    const FileDefinition *file(quint8 fileId) const;
    v_protocol::TSlaveProfile slaveProfile() const;
};

// A simulated device as its data file describes it. The engine never changes a definition; what
// happens to a device at run time lives in its engine.
struct DeviceDefinition
{
    QString id; // stable key ("fm200")
    QString description;
    QString sourcePath; // file it was read from
    quint32 serial = 0;
    quint16 modelId = 0;
    quint8 hardwareVersion = 0;
    QString rootPassword;
    QString userPassword;
    int maxAuthFailures = 3; // failed attempts before the device answers TooMany
    QString address;
    quint16 companyId = SimulatedAdvertisement::kTestCompanyId;
    QByteArray advertisementExtra;
    qint16 rssi = SimulatedAdvertisement::kDefaultRssi; // dBm at which the scanner hears the device
    LinkModel link;
    bool startsInBootloader = false;
    FirmwareDefinition application;
    FirmwareDefinition bootloader;

    const FirmwareDefinition &startFirmware() const { return startsInBootloader ? bootloader : application; }
    // The advertisement of the device as it starts.
    SimulatedAdvertisement advertisement() const;
    // The advertisement while `firmware` runs with `version`.
    SimulatedAdvertisement advertisement(
        const FirmwareDefinition &firmware, v_protocol::TFirmwareVersion version) const;
};

} // namespace simulator

Q_DECLARE_METATYPE(simulator::DeviceDefinition)
