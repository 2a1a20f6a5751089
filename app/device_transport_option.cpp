#include "app/device_transport_option.h"

#include "configurator/program_info.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_transport.h"

#include <QBluetoothLocalDevice>
#include <QCommandLineParser>
#include <QDebug>
#include <QDir>

#include <memory>

namespace app {

DeviceTransportOption::DeviceTransportOption()
    : _option(QStringLiteral("simulator"),
        QStringLiteral("Run on simulated devices instead of Bluetooth LE: the built-in sample devices, or those "
                       "defined in <folder>."))
{ }

void DeviceTransportOption::addTo(QCommandLineParser &parser) const
{
    parser.addOption(_option);
    parser.addPositionalArgument(QStringLiteral("folder"),
        QStringLiteral("With --simulator: a folder of simulated device definitions (*.json)."),
        QStringLiteral("[folder]"));
}

bool DeviceTransportOption::read(const QCommandLineParser &parser)
{
    const QStringList arguments = parser.positionalArguments();
    _simulated = parser.isSet(_option);
    if (!_simulated) {
        if (!arguments.isEmpty()) {
            qCritical().noquote() << "Unexpected argument:" << arguments.first()
                                  << "(a folder of simulated devices goes with --simulator)";
            return false;
        }
        if (!QBluetoothLocalDevice::allDevices().isEmpty())
            return true;
        // Nothing to reach devices with: the program still runs, on its built-in simulated devices.
        _simulated = true;
        _withoutAdapter = true;
        _catalog = simulator::DeviceCatalog::builtIn();
        return !_catalog.isEmpty();
    }
    if (arguments.size() > 1) {
        qCritical().noquote() << "Only one folder of simulated devices may be given, not:" << arguments.join(u' ');
        return false;
    }
    if (arguments.isEmpty()) {
        _catalog = simulator::DeviceCatalog::builtIn();
        return !_catalog.isEmpty();
    }
    _folder = QDir(arguments.first()).absolutePath();
    const ReturnCode result = _catalog.loadFolder(_folder);
    if (_catalog.isEmpty()) {
        qCritical().noquote() << "No simulated device can be loaded from" << _folder;
        for (const QString &error : _catalog.errors())
            qCritical().noquote() << "Simulated device definition:" << error;
        return false;
    }
    if (return_codes::isError(result)) {
        for (const QString &error : _catalog.errors())
            qWarning().noquote() << "Simulated device left out:" << error;
    }
    return true;
}

void DeviceTransportOption::install() const
{
    configurator::ProgramInfo::setSimulatedDevices(_simulated);
    if (!_simulated) {
        qDebug() << "Device transport: Bluetooth LE";
        return;
    }
    if (_withoutAdapter)
        qInfo().noquote()
            << "Device transport: simulated devices from the built-in samples (no Bluetooth adapter found)";
    else
        qDebug().noquote() << "Device transport: simulated devices from"
                           << (_folder.isEmpty() ? QStringLiteral("the built-in samples") : _folder);
    for (const simulator::DeviceDefinition &device : _catalog.definitions()) {
        qDebug().noquote() << QStringLiteral("Simulated device: %1, serial %2, address %3, \"%4\"")
                                  .arg(device.id)
                                  .arg(device.serial)
                                  .arg(device.address, device.startFirmware().name);
    }
    simulator::SimulatedTransport::install(std::make_shared<simulator::DevicePark>(_catalog));
}

} // namespace app
