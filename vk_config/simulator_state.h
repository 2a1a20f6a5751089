#pragma once

#include "simulator/device_catalog.h"

#include <QJsonObject>
#include <QString>

namespace simulator {
class DevicePark;
}

namespace vk_config {

// What a simulated device keeps from one run of vk-config to the next (--simulator-state FILE): the
// simulated devices live inside one process, so without it every run starts them from their
// definitions. Kept per device id: the application's settings and personalization values, its
// firmware version and whether it is valid, and counters of what the device received (requests,
// file writes and reads, commands, link time), added up over the runs. Between two runs a device is
// as after a power cycle: it starts its application when that is valid, else its bootloader.
//
//   { "devices": { "fm200": { "firmwareVersion": "2.4", "applicationValid": true,
//                              "values": { "100": "6400", ... },
//                              "counters": { "requests": 31, "fileWrites": 0, ... } } } }
class SimulatorState
{
public:
    // Reads `file` (a missing file is an empty state) and starts each device it names from its saved
    // state, replacing the device's definition in `catalog`. False with the reason for a file that
    // cannot be read.
    bool load(const QString &file, simulator::DeviceCatalog &catalog, QString &error);

    // Writes the state of every device of `catalog` as `park` holds it now.
    bool save(const QString &file, simulator::DevicePark &park, const simulator::DeviceCatalog &catalog,
        QString &error) const;

    // The counters saved for a device id (empty when none), as a test or benchmark reads them.
    static QJsonObject countersOf(const QJsonObject &state, const QString &deviceId);

private:
    QJsonObject _loaded;
};

} // namespace vk_config
