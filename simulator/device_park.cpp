#include "simulator/device_park.h"

namespace simulator {

DevicePark::DevicePark(const DeviceCatalog &catalog)
{
    for (const DeviceDefinition &definition : catalog.definitions())
        _engines.push_back(std::make_unique<DeviceEngine>(definition));
    _air.resize(_engines.size());
}

int DevicePark::size() const
{
    return int(_engines.size());
}

QList<SimulatedAdvertisement> DevicePark::advertisements() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    QList<SimulatedAdvertisement> result;
    for (size_t i = 0; i < _engines.size(); ++i) {
        if (!_air[i].advertising)
            continue;
        SimulatedAdvertisement advertisement = _engines[i]->advertisement();
        if (_air[i].rssi)
            advertisement.rssi = *_air[i].rssi;
        result.append(advertisement);
    }
    return result;
}

bool DevicePark::setRssi(const QString &address, qint16 rssi)
{
    std::lock_guard<std::mutex> lock(_mutex);
    const int index = indexOf(address);
    if (index < 0)
        return false;
    _air[size_t(index)].rssi = rssi;
    return true;
}

bool DevicePark::setAdvertising(const QString &address, bool advertising)
{
    std::lock_guard<std::mutex> lock(_mutex);
    const int index = indexOf(address);
    if (index < 0)
        return false;
    _air[size_t(index)].advertising = advertising;
    return true;
}

bool DevicePark::withEngine(const QString &address, const std::function<void(DeviceEngine &)> &work)
{
    std::lock_guard<std::mutex> lock(_mutex);
    const int index = indexOf(address);
    if (index < 0)
        return false;
    work(*_engines[size_t(index)]);
    return true;
}

int DevicePark::indexOf(const QString &address) const
{
    for (size_t i = 0; i < _engines.size(); ++i) {
        if (_engines[i]->definition().address.compare(address, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

} // namespace simulator
