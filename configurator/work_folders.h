#pragma once

#include <QString>

namespace configurator {

// The folders the program keeps its files in, under the platform's application-local data folder:
// raw files read from devices, firmware images, and state-copy reports.
class WorkFolders
{
public:
    // The application-local data folder (computed once; empty when the platform has none).
    static QString base();
    static QString rawFiles();
    static QString firmware();
    static QString reports();

    // Creates `path` with its missing parents unless it exists; logs what happened. False when the
    // folder is not there afterwards.
    static bool ensure(const QString &path);

    // Writes `bytes` to `path` whole or not at all; false with the reason in `error`.
    static bool writeWhole(const QString &path, const QByteArray &bytes, QString &error);

    // Test hook: another base folder (an empty text returns to the platform's).
    static void setBaseForTesting(const QString &path);
};

// The name a raw file read from a device is saved under: "SN<serial>-ID<fileId, 3 digits>-<name>.bin".
// The device's file name is only a label: every character that could name a folder, a drive, a
// stream or a device on any platform becomes "_", so the result always stays one plain file name.
QString rawFileName(quint64 serial, int fileId, const QString &deviceFileName);

// A device-given text made safe as part of a file name (see rawFileName).
QString safeFileNamePart(const QString &text);

} // namespace configurator
