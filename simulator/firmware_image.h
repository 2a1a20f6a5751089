#pragma once

#include "v_protocol/t_application_info_file.h"

#include <QByteArray>

namespace simulator {

// Firmware images as a simulated device takes them, and deterministic test content.
//
// An uploaded image (file 6 or 254) is the image with its CRC-32 in front (four bytes, least
// significant first), as the configurator sends it. A simulated image names its version with the
// tag "VKFW" followed by the version byte (low nibble major, high nibble minor) somewhere in its
// first kTagSearchSize bytes; bootloader images also carry the text "-boot".
class FirmwareImage
{
public:
    static constexpr qsizetype kCrcSize = 4;
    static constexpr qsizetype kTagSearchSize = 1024;

    // An image of `size` bytes (at least 16) for `version`: the tag, then pattern bytes from `seed`.
    static QByteArray make(v_protocol::TFirmwareVersion version, qsizetype size, quint32 seed, bool bootloader = false);
    // CRC-32 of `image` in front of it.
    static QByteArray withCrc(const QByteArray &image);
    // Splits an upload into the image and checks its CRC-32; false for fewer than 4 bytes or a mismatch.
    static bool splitCrc(const QByteArray &upload, QByteArray &image);
    // The version the tag names; false when the image carries no tag.
    static bool versionOf(const QByteArray &image, v_protocol::TFirmwareVersion &version);
    // The version a device reports after installing an image without a tag: the minor number counts
    // up and carries into the major number (both wrap at 15).
    static v_protocol::TFirmwareVersion nextVersion(v_protocol::TFirmwareVersion version);

    // `size` pseudo-random bytes, the same for the same seed.
    static QByteArray pattern(qsizetype size, quint32 seed);
};

} // namespace simulator
