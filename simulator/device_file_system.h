#pragma once

#include "simulator/device_definition.h"
#include "v_protocol/protocol_enums.h"

#include <QByteArray>
#include <QHash>
#include <QList>

namespace simulator {

// Rights of the master that authenticated on the current link.
enum class AccessLevel {
    None, // not authenticated
    User,
    Root,
};

// The files of one firmware of a simulated device: the file table with its permissions, the
// structured files built from the current values, and the raw files. Firmware images (files 6 and
// 254) are the engine's business; here they are entries of the table only.
//
// Structured files the definition does not list get default entries (not listed in the file table):
// 0, 4, 8 read-only; 1, 2 readable and writable; 3 read-only; in a bootloader also 6 (writable,
// the definition's maxImageSize) and 254 (writable by root, 65539 bytes: 64 KiB - 1 and the CRC).
class DeviceFileSystem
{
public:
    DeviceFileSystem(const FirmwareDefinition &firmware, quint16 modelId, quint8 hardwareVersion);

    const FirmwareDefinition &firmware() const { return _firmware; }
    // The version the application info file reports.
    void setVersion(v_protocol::TFirmwareVersion version) { _version = version; }
    v_protocol::TFirmwareVersion version() const { return _version; }

    // The table entry of `fileId`; null when the firmware has no such file.
    const FileDefinition *file(quint8 fileId) const;
    // The name the device answers for `fileId` (empty for an unknown file).
    QString name(quint8 fileId) const;

    // Success, UnknownFileIdentifier or FileResultOperationNotAllowed.
    v_protocol::TSystemFileResult checkRead(quint8 fileId, AccessLevel level) const;
    // As checkRead for writing a file of `fileSize` bytes; FileSizeTooBig beyond the file's maxSize.
    v_protocol::TSystemFileResult checkWrite(quint8 fileId, quint64 fileSize, AccessLevel level) const;
    // The file image as a read returns it now.
    QByteArray image(quint8 fileId) const;

    // Takes a completely written file (not a firmware image). Data-element files are checked before
    // any value changes: FileResultCrcError for a bad CRC, FileResultUnknownError for a malformed
    // file, FileResultOperationNotAllowed for an element the profile does not store in this file, a
    // size that differs from the profile, or a changed value the access level may not edit.
    v_protocol::TSystemFileResult storeWritten(quint8 fileId, const QByteArray &data, AccessLevel level);
    // Empties a raw file, or puts the values of a data-element file back to their initial values.
    v_protocol::TSystemFileResult clear(quint8 fileId, AccessLevel level);

    QByteArray value(quint16 elementId) const { return _values.value(elementId); }
    // false when the element stores no value or `value` has the wrong size.
    bool setValue(quint16 elementId, const QByteArray &value);
    // Moves every drifting state value one step.
    void advanceDrift();
    // Sets every state value that keeps the clock.
    void setClock(quint32 secondsSince1970);

    static bool allows(v_protocol::TFileTable::Permission permission, AccessLevel level);
    static bool mayEdit(v_protocol::TSlaveProfile::Editables editable, AccessLevel level);
    // The element type whose values a data-element file holds (file 1, 2, 3); false for other files.
    static bool elementTypeOfFile(quint8 fileId, v_protocol::TSlaveProfile::Types &type);

private:
    void addDefaultFile(quint8 fileId, v_protocol::TFileTable::Permission write, quint32 maxSize);
    QByteArray dataElementFile(quint8 fileId) const;
    v_protocol::TSystemFileResult storeDataElements(quint8 fileId, const QByteArray &data, AccessLevel level);
    void resetValues(v_protocol::TSlaveProfile::Types type);

    FirmwareDefinition _firmware;
    quint16 _modelId = 0;
    quint8 _hardwareVersion = 0;
    v_protocol::TFirmwareVersion _version;
    QList<FileDefinition> _files;
    QHash<quint16, QByteArray> _values;
    QHash<quint16, qint64> _driftSteps;
};

} // namespace simulator
