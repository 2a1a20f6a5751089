#include "v_protocol/t_file_with_data_elements.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/crc.h"
#include "v_protocol/debug_text.h"

namespace v_protocol {

ReturnCode TFileWithDataElements::fromByteArray(quint8 fileId, const QByteArray &bytes, TFileWithDataElements &file)
{
    file = TFileWithDataElements();
    file.fileId = fileId;
    QByteArray body;
    const bool isStateFile = fileId == quint8(TMandatoryFileTypes::StateFile);
    const ReturnCode rc = splitFileCrc(bytes, QLatin1String("Invalid CRC"), body, file.crc, isStateFile);
    if (rc != ReturnCode::Ok)
        return rc;

    ByteReader reader(body);
    while (!reader.atEnd()) {
        if (reader.remaining() < Element::kHeaderSize) {
            logText(QLatin1String("Invalid RAW data part: ") + QString::fromLatin1(reader.rest().toHex()));
            return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
        }
        Element element;
        reader.readU8(element.dataSize);
        reader.readU16(element.id);
        if (!reader.readBytes(element.dataSize, element.data)) {
            logText(QStringLiteral("Invalid Element::data size: expect[%1], data.size()[%2]")
                        .arg(element.dataSize)
                        .arg(reader.remaining()));
            return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
        }
        file.elements.append(element);
    }
    return ReturnCode::Ok;
}

QByteArray TFileWithDataElements::toByteArray() const
{
    QByteArray bytes;
    ByteWriter writer(bytes);
    for (const Element &element : elements)
        writer.u8(element.dataSize).u16(element.id).bytes(element.data);
    writer.u16(calcCrc16(bytes));
    return bytes;
}

} // namespace v_protocol
