#pragma once

#include "simulator/device_catalog.h"

#include <QCommandLineOption>
#include <QString>

#include <memory>

namespace simulator {
class DevicePark;
}

class QCommandLineParser;

namespace app {

// The device transport the program runs on, chosen once at start-up by the command line:
//   (nothing)                  Bluetooth LE through the platform's adapter, or, when the platform
//                              has no Bluetooth adapter, the simulated sample devices;
//   --simulator                the simulated sample devices built into the program;
//   --simulator FOLDER         the simulated devices defined by the *.json files of FOLDER.
class DeviceTransportOption
{
public:
    DeviceTransportOption();

    // Declares the option and its folder argument.
    void addTo(QCommandLineParser &parser) const;

    // Takes the choice from the parsed command line and loads the simulated devices. False, with the
    // reason logged at critical level, when it cannot be used: a folder without --simulator, more
    // than one folder, or a folder that yields no device at all. Definitions a folder holds in error
    // are logged as warnings and left out.
    bool read(const QCommandLineParser &parser);

    // The same choice made by a front end that reads its command line itself: simulated devices or
    // not, and their folder (empty: the built-in devices). False, logged as by read(), when the
    // devices cannot be loaded.
    bool select(bool simulated, const QString &folder = QString());

    bool isSimulated() const { return _simulated; }
    // The simulated devices chosen (empty for Bluetooth LE); a front end may adjust them before
    // install().
    simulator::DeviceCatalog &catalog() { return _catalog; }

    // Logs the choice and, for simulated devices, makes the interface and discovery managers created
    // next reach them. Call before the device manager is created. Returns the park of the simulated
    // devices (null for Bluetooth LE).
    std::shared_ptr<simulator::DevicePark> install() const;

private:
    const QCommandLineOption _option;
    bool _simulated = false;
    bool _withoutAdapter = false; // simulated because there is no Bluetooth adapter
    QString _folder; // empty: the built-in devices
    simulator::DeviceCatalog _catalog;
};

} // namespace app
