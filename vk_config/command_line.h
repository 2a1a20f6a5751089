#pragma once

#include "vk_config/request.h"

#include <QString>
#include <QStringList>

namespace vk_config {

// The command line of vk-config:
//
//   vk-config [options] scan [--seconds N]
//   vk-config [options] get SERIAL [--settings] [--state] [--personalization] [--all]
//   vk-config [options] set SERIAL FILE.json | set SERIAL --value ID=VALUE ... [--dry-run]
//   vk-config [options] run SERIAL COMMAND_ID [DATA_HEX]
//   vk-config [options] files SERIAL list | read ID [-o FILE] | clear ID
//   vk-config [options] report SERIAL [-o FILE.pdf]
//   vk-config [options] update SERIAL FIRMWARE.bin
//
// With --serials FILE the SERIAL is left out and taken from each line of the file instead.
class CommandLine
{
public:
    // Reads `arguments` (program name first). False with the reason in `error` for a usage error;
    // `helpText` is set instead when help or the version was asked for.
    static bool parse(const QStringList &arguments, Request &request, QString &error, QString &helpText);

    // The serial numbers of a --serials file: one per line, optionally followed by the device's
    // password; blank lines and lines beginning with "#" are skipped.
    struct ListedDevice
    {
        quint32 serial = 0;
        QString password;
    };
    static bool readSerials(const QByteArray &text, QList<ListedDevice> &devices, QString &error);

    // A serial number in decimal, 1 ... 4294967295.
    static bool parseSerial(const QString &text, quint32 &serial);
};

} // namespace vk_config
