#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vk_config {

// One run of vk-config as its command line asks for it.
struct Request
{
    enum class Command { Scan, Get, Set, Run, Files, Report, Update, Diff, History };
    enum class FilesAction { List, Read, Clear };

    Command command = Command::Scan;
    QString commandName;

    // The device; with --serials the devices of a list, one after another.
    quint32 serial = 0;
    QString serialsFile;

    // Output.
    bool json = false;
    bool verbose = false;
    QString output; // -o: "{serial}" in it becomes the device's serial number

    // get: which kinds of elements (all when none is chosen).
    bool settings = false;
    bool state = false;
    bool personalization = false;

    // set, diff: a document, or values typed as shown (ID=VALUE); --dry-run only compares.
    QString documentFile;
    QStringList values;
    bool dryRun = false;

    // run.
    int commandId = -1;
    QByteArray commandData;

    // files.
    FilesAction filesAction = FilesAction::List;
    int fileId = -1;

    // update.
    QString firmwareFile;

    // scan.
    int scanSeconds = 5;

    // Connection.
    QString password; // empty: VK_PASSWORD, then the default-password setting
    int timeoutSeconds = 120;
    QString appSettingsFile; // empty: the program's own settings file

    // Simulated devices.
    bool simulated = false;
    QString simulatorFolder;
    QString simulatorState;
    bool linkTiming = false;

    bool needsGui() const { return command == Command::Report; }
    bool isDeviceCommand() const { return command != Command::Scan; }
    // Commands that need no connection to the device.
    bool isOffline() const { return command == Command::History; }
};

} // namespace vk_config
