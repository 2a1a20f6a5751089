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
    if (!parser.isSet(_option)) {
        if (!arguments.isEmpty()) {
            qCritical().noquote() << "Unexpected argument:" << arguments.first()
                                  << "(a folder of simulated devices goes with --simulator)";
            return false;
        }
        if (!QBluetoothLocalDevice::allDevices().isEmpty())
            return select(false);
        // Nothing to reach devices with: the program still runs, on its built-in simulated devices.
        const bool selected = select(true);
        _withoutAdapter = true;
        return selected;
    }
    if (arguments.size() > 1) {
        qCritical().noquote() << "Only one folder of simulated devices may be given, not:" << arguments.join(u' ');
        return false;
    }
    return select(true, arguments.value(0));
}

bool DeviceTransportOption::select(bool simulated, const QString &folder)
{
    _simulated = simulated;
    _withoutAdapter = false;
    _folder.clear();
    _catalog = simulator::DeviceCatalog();
    if (!_simulated)
        return true;
    if (folder.isEmpty()) {
        _catalog = simulator::DeviceCatalog::builtIn();
        return !_catalog.isEmpty();
    }
    _folder = QDir(folder).absolutePath();
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

std::shared_ptr<simulator::DevicePark> DeviceTransportOption::install() const
{
    configurator::ProgramInfo::setSimulatedDevices(_simulated);
    if (!_simulated) {
        qDebug() << "Device transport: Bluetooth LE";
        return nullptr;
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
    auto park = std::make_shared<simulator::DevicePark>(_catalog);
    simulator::SimulatedTransport::install(park);
    return park;
}

} // namespace app
