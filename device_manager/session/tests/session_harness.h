#pragma once

// Shared by the session test suites: a session on a shipped simulated device, with everything it
// reports recorded and short answer timers.

#include "device_manager/session/tests/session_recorder.h"
#include "device_manager/session/tests/simulated_device_link.h"
#include "device_manager/session/vk_device.h"
#include "testing/device_fixtures.h"

#include <QtTest>

#include <memory>

namespace session_testing {

// Short answer timers, so that timeout cases take a fraction of a second; still far above the time
// an answer due at once needs to arrive.
constexpr int kTestGenericTimeoutMs = 200;
constexpr int kTestTimeoutMs = 300;
// Generous bound for waiting on a whole exchange.
constexpr int kWaitMs = 20000;

using vk_testing::shippedDevice;

struct SessionHarness
{
    explicit SessionHarness(const simulator::DeviceDefinition &definition) : link(definition) { }
    explicit SessionHarness(const QString &deviceId) : SessionHarness(shippedDevice(deviceId)) { }

    // Makes the session from the link's descriptor (set the link's interface size and password
    // first), with the short test timers.
    device_manager::VkDevice &start()
    {
        session = std::make_unique<device_manager::VkDevice>(nullptr, link.discoveryInfo());
        session->setTaskTimeouts({ kTestGenericTimeoutMs, kTestTimeoutMs });
        link.attach(session.get());
        recorder = std::make_unique<SessionRecorder>(session.get());
        return *session;
    }

    // No answer on its way and no task active or waiting.
    bool isIdle() const { return link.pendingAnswers() == 0 && session->isIdle(); }
    bool waitUntilIdle(int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor([this]() { return isIdle(); }, timeoutMs);
    }

    // Starts the session and authenticates; true when access was granted. The recorder is cleared.
    bool logIn()
    {
        if (!session)
            start();
        if (session->authenticate() != ReturnCode::Ok || !waitUntilIdle())
            return false;
        const bool granted = session->isAuthenticated();
        recorder->clear();
        return granted;
    }

    SimulatedDeviceLink link;
    std::unique_ptr<device_manager::VkDevice> session;
    std::unique_ptr<SessionRecorder> recorder;
};

} // namespace session_testing
