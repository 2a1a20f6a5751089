#include "simulator/firmware_image.h"

#include "v_protocol/crc.h"

#include <QtEndian>

namespace simulator {

namespace {

const QByteArray kTag("VKFW");
const QByteArray kBootMarker("-boot");

} // namespace

QByteArray FirmwareImage::pattern(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    quint32 state = seed ? seed : 0x9E3779B9u;
    for (qsizetype i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = char(state & 0xFF);
    }
    return bytes;
}

QByteArray FirmwareImage::make(v_protocol::TFirmwareVersion version, qsizetype size, quint32 seed, bool bootloader)
{
    QByteArray head = kTag + char(version.toByte());
    if (bootloader)
        head += kBootMarker;
    QByteArray image = pattern(qMax<qsizetype>(size, 16), seed);
    // The tag goes first, so that it is found before any chance match in the pattern.
    image.replace(0, head.size(), head);
    return image;
}

QByteArray FirmwareImage::withCrc(const QByteArray &image)
{
    QByteArray upload(kCrcSize, '\0');
    qToLittleEndian<quint32>(v_protocol::calcCrc32(image), upload.data());
    return upload + image;
}

bool FirmwareImage::splitCrc(const QByteArray &upload, QByteArray &image)
{
    image.clear();
    if (upload.size() < kCrcSize)
        return false;
    const quint32 expected = qFromLittleEndian<quint32>(upload.constData());
    const QByteArray body = upload.mid(kCrcSize);
    if (v_protocol::calcCrc32(body) != expected)
        return false;
    image = body;
    return true;
}

bool FirmwareImage::versionOf(const QByteArray &image, v_protocol::TFirmwareVersion &version)
{
    const qsizetype at = image.left(kTagSearchSize).indexOf(kTag);
    if (at < 0 || at + kTag.size() >= image.size())
        return false;
    version = v_protocol::TFirmwareVersion::fromByte(quint8(image.at(at + kTag.size())));
    return true;
}

v_protocol::TFirmwareVersion FirmwareImage::nextVersion(v_protocol::TFirmwareVersion version)
{
    if (version.Minor < 15)
        return { version.Major, quint8(version.Minor + 1) };
    return { quint8((version.Major + 1) & 0x0F), 0 };
}

} // namespace simulator
