#include "v_protocol/t_application_info_file.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"

namespace v_protocol {

ReturnCode TApplicationInfoFile::fromByteArray(const QByteArray &bytes, TApplicationInfoFile &file)
{
    file = TApplicationInfoFile();
    if (bytes.size() < kMinSize)
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    ByteReader reader(bytes);
    quint8 version = 0;
    reader.readU16(file.ModelId);
    reader.readU8(file.HardwareVersion);
    reader.readU8(version);
    file.FirmwareVersion = TFirmwareVersion::fromByte(version);
    file.Name = QString::fromUtf8(reader.rest());
    return ReturnCode::Ok;
}

QByteArray TApplicationInfoFile::toByteArray() const
{
    QByteArray bytes;
    ByteWriter(bytes).u16(ModelId).u8(HardwareVersion).u8(FirmwareVersion.toByte()).bytes(Name.toUtf8());
    return bytes;
}

} // namespace v_protocol
