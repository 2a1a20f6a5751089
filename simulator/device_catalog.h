#pragma once

#include "return_codes/return_codes.h"
#include "simulator/device_definition.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace simulator {

// The simulated devices of one folder of definition files (*.json, read in file name order).
class DeviceCatalog
{
public:
    // The shipped definitions inside the program (Qt resources), usable from any working directory.
    static QString builtInFolder();
    // The shipped definitions in the source tree, as known when the program was built.
    static QString sourceFolder();
    // A catalog of the built-in definitions.
    static DeviceCatalog builtIn();

    // Reads every definition of `folder`, replacing what the catalog held. A definition with an error,
    // or whose id, serial number or address another one already has, is left out and its error kept.
    // Ok when every file was taken; ErrArgumentBadValue when one was left out or the folder holds
    // no definition at all.
    ReturnCode loadFolder(const QString &folder);

    const QList<DeviceDefinition> &definitions() const { return _definitions; }
    const QStringList &errors() const { return _errors; }
    bool isEmpty() const { return _definitions.isEmpty(); }

    // By id, or by serial number in decimal; null when absent.
    const DeviceDefinition *find(const QString &idOrSerial) const;
    const DeviceDefinition *findBySerial(quint32 serial) const;
    const DeviceDefinition *findByAddress(const QString &address) const;

    // Puts `definition` in place of the one with the same id (a tool that carries a device's state
    // from one run to the next starts the device from it); false when no definition has that id.
    bool replace(const DeviceDefinition &definition);

private:
    QList<DeviceDefinition> _definitions;
    QStringList _errors;
};

} // namespace simulator
