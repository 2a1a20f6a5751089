#pragma once

// Runs a scanner in a thread of its own, as the discovery manager does, for the scanner tests.

#include "device_manager/discovery/i_device_discovery.h"
#include "event_core/module_host.h"
#include "event_topics/thread_handover.h"

#include <QThread>

#include <chrono>
#include <optional>

namespace scanner_test {

class ScannerThread
{
public:
    // Takes ownership of `scanner` and starts it; `started()` tells whether it initialised in time.
    explicit ScannerThread(device_manager::IDeviceDiscovery *scanner) : _scanner(scanner)
    {
        event_topics::watchThreadEnd(&_thread);
        _scanner->moveToThread(&_thread);
        QObject::connect(&_thread, &QThread::started, _scanner, &device_manager::IDeviceDiscovery::afterThreadStarted);
        QObject::connect(&_thread, &QThread::finished, _scanner, &QObject::deleteLater);
        _started = event_core::startThreadAndWait(
            &_thread, _scanner, &device_manager::IDeviceDiscovery::initializationDone, std::chrono::seconds(10));
    }

    ~ScannerThread()
    {
        event_core::runBeforeThreadStopped(_scanner, "beforeThreadStopped");
        _thread.quit();
        event_topics::waitForThreadEnd(&_thread);
    }

    ScannerThread(const ScannerThread &) = delete;
    ScannerThread &operator=(const ScannerThread &) = delete;

    bool started() const { return _started; }
    device_manager::IDeviceDiscovery *operator->() const { return _scanner; }
    device_manager::IDeviceDiscovery *get() const { return _scanner; }

    // Returns once everything queued to the scanner's thread before has run.
    void flush() const
    {
        event_topics::queueCall(
            _scanner, []() {}, Qt::BlockingQueuedConnection);
    }

private:
    QThread _thread;
    device_manager::IDeviceDiscovery *_scanner;
    bool _started = false;
};

// Collects a scanner's reports in the thread that creates it (queued, as the discovery manager
// receives them).
class Reports : public QObject
{
public:
    explicit Reports(device_manager::IDeviceDiscovery *scanner)
    {
        connect(
            scanner, &device_manager::IDeviceDiscovery::deviceDiscovered, this,
            [this](const device_manager::DeviceDiscoveryInfo &info) {
                event_topics::queueCall(this, [this, info]() { list.append(info); });
            },
            Qt::DirectConnection);
    }

    // The latest report of the device with `serial`, if any.
    std::optional<device_manager::DeviceDiscoveryInfo> lastOf(quint64 serial) const
    {
        for (auto it = list.crbegin(); it != list.crend(); ++it) {
            if (it->deviceInfo.Serial == serial)
                return *it;
        }
        return std::nullopt;
    }

    QList<device_manager::DeviceDiscoveryInfo> list;
};

} // namespace scanner_test
