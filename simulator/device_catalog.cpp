#include "simulator/device_catalog.h"

#include "simulator/definition_reader.h"

#include <QDir>

namespace simulator {

QString DeviceCatalog::builtInFolder()
{
    return QStringLiteral(":/simulator/devices");
}

QString DeviceCatalog::sourceFolder()
{
    return QStringLiteral(VK_SIMULATOR_DEVICES_DIR);
}

DeviceCatalog DeviceCatalog::builtIn()
{
    DeviceCatalog catalog;
    return_codes::logIfError(catalog.loadFolder(builtInFolder()));
    for (const QString &error : catalog.errors())
        qWarning().noquote() << "Built-in device definition refused:" << error;
    return catalog;
}

ReturnCode DeviceCatalog::loadFolder(const QString &folder)
{
    _definitions.clear();
    _errors.clear();
    const QDir dir(folder);
    const QStringList names = dir.entryList({ QStringLiteral("*.json") }, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        DeviceDefinition definition;
        QString error;
        if (DefinitionReader::fromFile(dir.filePath(name), definition, error) != ReturnCode::Ok) {
            _errors << error;
            continue;
        }
        const DeviceDefinition *clash = find(definition.id);
        if (!clash)
            clash = findBySerial(definition.serial);
        if (!clash)
            clash = findByAddress(definition.address);
        if (clash) {
            _errors << QStringLiteral("%1: id, serial number or address already used by %2")
                           .arg(definition.sourcePath, clash->sourcePath);
            continue;
        }
        _definitions.append(definition);
    }
    if (names.isEmpty())
        _errors << QStringLiteral("%1: no device definitions").arg(folder);
    return _errors.isEmpty() ? ReturnCode::Ok : ReturnCode::ErrArgumentBadValue;
}

const DeviceDefinition *DeviceCatalog::find(const QString &idOrSerial) const
{
    for (const DeviceDefinition &definition : _definitions) {
        if (definition.id == idOrSerial || QString::number(definition.serial) == idOrSerial)
            return &definition;
    }
    return nullptr;
}

bool DeviceCatalog::replace(const DeviceDefinition &definition)
{
    for (DeviceDefinition &present : _definitions) {
        if (present.id == definition.id) {
            present = definition;
            return true;
        }
    }
    return false;
}

const DeviceDefinition *DeviceCatalog::findBySerial(quint32 serial) const
{
    for (const DeviceDefinition &definition : _definitions) {
        if (definition.serial == serial)
            return &definition;
    }
    return nullptr;
}

const DeviceDefinition *DeviceCatalog::findByAddress(const QString &address) const
{
    for (const DeviceDefinition &definition : _definitions) {
        if (definition.address.compare(address, Qt::CaseInsensitive) == 0)
            return &definition;
    }
    return nullptr;
}

} // namespace simulator
