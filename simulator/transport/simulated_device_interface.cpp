#include "simulator/transport/simulated_device_interface.h"

#include "simulator/device_park.h"

#include <QBluetoothAddress>
#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace simulator {

namespace {

QTimer *makeTimer(QObject *parent)
{
    auto *timer = new QTimer(parent);
    timer->setSingleShot(true);
    return timer;
}

} // namespace

SimulatedDeviceInterface::SimulatedDeviceInterface(QObject *parent, const device_manager::DeviceInterfaceInfo &info,
    const QBluetoothDeviceInfo &deviceInfo, std::shared_ptr<DevicePark> park)
    : IDeviceInterface(parent, info),
      _address(deviceInfo.address().toString()),
      _park(std::move(park)),
      _connectTimer(makeTimer(this)),
      _deliveryTimer(makeTimer(this)),
      _plugOutTimer(makeTimer(this))
{
    _clock.start();
    _connectTimer->setInterval(0);
    _plugOutTimer->setInterval(0);
    connect(_connectTimer, &QTimer::timeout, this, &SimulatedDeviceInterface::connectLink);
    connect(_deliveryTimer, &QTimer::timeout, this, &SimulatedDeviceInterface::deliverDue);
    connect(_plugOutTimer, &QTimer::timeout, this, &SimulatedDeviceInterface::reportPluggedOut);
}

SimulatedDeviceInterface::~SimulatedDeviceInterface()
{
    if (_state == LinkState::Connected)
        dropEngineLink();
}

device_manager::InterfaceManager::InterfaceFactory SimulatedDeviceInterface::factory(
    std::shared_ptr<DevicePark> park, std::shared_ptr<LinkCut> cut)
{
    return [park, cut](QObject *parent, const device_manager::DeviceInterfaceInfo &info,
               const QBluetoothDeviceInfo &deviceInfo) -> device_manager::IDeviceInterface * {
        auto *interface = new SimulatedDeviceInterface(parent, info, deviceInfo, park);
        interface->_cut = cut;
        return interface;
    };
}

bool SimulatedDeviceInterface::isOpen()
{
    return _state != LinkState::Idle;
}

ReturnCode SimulatedDeviceInterface::open()
{
    // A new connection replaces the current one, whatever state it is in; nothing of it stays due.
    if (_state == LinkState::Connected)
        dropEngineLink();
    _due.clear();
    _deliveryTimer->stop();
    _plugOutTimer->stop();
    _state = LinkState::Connecting;
    _connectTimer->start();
    return ReturnCode::Ok;
}

ReturnCode SimulatedDeviceInterface::close()
{
    switch (_state) {
    case LinkState::Idle: break; // nothing open, nothing to report
    case LinkState::Connecting:
    case LinkState::Connected:
        if (_state == LinkState::Connected)
            dropEngineLink();
        _connectTimer->stop();
        _due.clear();
        _deliveryTimer->stop();
        _state = LinkState::Closing;
        _plugOutTimer->start();
        break;
    case LinkState::Closing: break;
    }
    return ReturnCode::Ok;
}

ReturnCode SimulatedDeviceInterface::sendPacket(device_manager::DeviceEntry, v_protocol::TPacket packet)
{
    if (_state != LinkState::Connected) {
        qWarning() << "Simulated link is not connected!";
        return ReturnCode::ErrInvalidHandler;
    }
    if (cutsHere()) {
        qDebug() << "Simulated link cut at packet" << _carried << "(sent) for" << _interfaceInfo;
        return close();
    }
    const QByteArray bytes = packet.toByteArray();
    ReplyItems items;
    qint64 travelUs = 0; // the request's way to the device, as the link model times it
    _park->withEngine(_address, [&](DeviceEngine &engine) {
        items = engine.handleBytes(bytes);
        if (engine.isLinkTimingEnabled())
            travelUs = engine.linkModel().requestDelayUs();
    });
    const qint64 now = _clock.elapsed();
    for (ReplyItem item : items) {
        item.delayUs += travelUs;
        const Due due { now + item.delayMs(), item };
        // After everything due at the same time or earlier: answers keep their order.
        const auto at = std::upper_bound(
            _due.begin(), _due.end(), due, [](const Due &a, const Due &b) { return a.atMs < b.atMs; });
        _due.insert(at, due);
    }
    scheduleDelivery();
    return ReturnCode::Ok;
}

int SimulatedDeviceInterface::maximumPacketSize()
{
    return _state == LinkState::Connected ? _linkPacketSize : -1;
}

void SimulatedDeviceInterface::connectLink()
{
    int packetSize = -1;
    const bool found = _park->withEngine(_address, [&](DeviceEngine &engine) {
        engine.connectLink();
        packetSize = engine.linkModel().maximumPacketSize();
    });
    if (!found) {
        qWarning() << "Simulated device not found:" << _address << "for" << _interfaceInfo;
        reportPluggedOut();
        return;
    }
    _state = LinkState::Connected;
    _carried = 0;
    _linkPacketSize = packetSize;
    _interfaceInfo.maximumPacketSize = maximumPacketSize();
    emit pluggedIn(_interfaceInfo);
}

void SimulatedDeviceInterface::deliverDue()
{
    const qint64 now = _clock.elapsed();
    while (_state == LinkState::Connected && !_due.isEmpty() && _due.first().atMs <= now) {
        const ReplyItem item = _due.takeFirst().item;
        if (item.isLinkDrop()) {
            // The engine has dropped its side already: a remote disconnect.
            qDebug() << "Simulated device dropped the link:" << _address << "for" << _interfaceInfo;
            _due.clear();
            reportPluggedOut();
            return;
        }
        if (cutsHere()) {
            qDebug() << "Simulated link cut at packet" << _carried << "(received) for" << _interfaceInfo;
            dropEngineLink();
            _due.clear();
            reportPluggedOut();
            return;
        }
        receivePacketBytes(item.bytes);
    }
    scheduleDelivery();
}

void SimulatedDeviceInterface::dropEngineLink()
{
    _park->withEngine(_address, [](DeviceEngine &engine) { engine.dropLink(); });
}

void SimulatedDeviceInterface::scheduleDelivery()
{
    if (_due.isEmpty() || _state != LinkState::Connected) {
        _deliveryTimer->stop();
        return;
    }
    const qint64 waitMs
        = qBound(qint64(0), _due.first().atMs - _clock.elapsed(), qint64(std::numeric_limits<int>::max()));
    _deliveryTimer->start(int(waitMs));
}

bool SimulatedDeviceInterface::cutsHere()
{
    ++_carried;
    return _cut && _cut->atPacket.load() == _carried;
}

void SimulatedDeviceInterface::reportPluggedOut()
{
    _state = LinkState::Idle;
    emit pluggedOut(_interfaceInfo);
}

} // namespace simulator
