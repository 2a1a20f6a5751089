// A misbehaving device and a lost link, against the core: whatever goes wrong, the user is told
// once, the core ends idle and not busy, no job is left, and the next connect works.
#include "core_harness.h"

#include "simulator/failure_mode.h"

#include <QLoggingCategory>

using namespace core_testing;
using simulator::FailureMode;

namespace {

// Short answer timers while a failure is on: a device that does not answer costs a fraction of a
// second. The core's jobs end first, as in the program (20 s against the session's 20 s and 30 s).
constexpr int kSessionTimeoutMs = 750;
constexpr int kJobTimeoutMs = 500;

const QList<GuiQmlHandler::TAppTaskType> kDeviceJobs
    = { GuiQmlHandler::ConnectToDevice, GuiQmlHandler::MakeTimeSynchronization, GuiQmlHandler::GetApplicationInfo,
          GuiQmlHandler::GetFileInfo, GuiQmlHandler::GetSlaveProfile, GuiQmlHandler::GetSettings,
          GuiQmlHandler::GetPersonalization, GuiQmlHandler::GetState, GuiQmlHandler::SaveSettings,
          GuiQmlHandler::SavePersonalization, GuiQmlHandler::ExecuteCommand, GuiQmlHandler::GetRawFile,
          GuiQmlHandler::ClearRawFile, GuiQmlHandler::MakeDisconnect, GuiQmlHandler::MakeSilentDisconnect };

enum class Action { GetSettings, SaveSettings, Command, ReadFile };

} // namespace

class TestCoreFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init() { QVERIFY(_core.start()); }
    void cleanup()
    {
        shortTimers(false);
        _core.stop();
    }

    void duringConnect_data();
    void duringConnect();
    void duringAction_data();
    void duringAction();
    void linkCutDuringConnect();

private:
    // Short timers while a failure is under way; the ordinary ones for the clean work around it, so
    // that a busy machine does not turn it into a failure of its own.
    static void shortTimers(bool on)
    {
        for (GuiQmlHandler::TAppTaskType type : kDeviceJobs)
            GuiQmlHandler::overrideTaskTimeout(type, on ? kJobTimeoutMs : -1);
        device_manager::VkDevice::setDefaultTaskTimeouts(on
                ? device_manager::VkDevice::TaskTimeouts { kSessionTimeoutMs, kSessionTimeoutMs }
                : device_manager::VkDevice::TaskTimeouts {});
    }
    // After a failure: the core has settled, told the user at most once (exactly once when the
    // connection is gone), and a clean connect works again.
    void checkRecovery(int from, const QString &what);
    void inject(const simulator::FailureInjection &failure)
    {
        _core.withEngine(fm200(), [&](simulator::DeviceEngine &engine) { engine.setFailure(failure); });
    }
    static const simulator::DeviceDefinition &fm200() { return shippedDevice("fm200"); }

    CoreHarness _core;
};

void TestCoreFailures::checkRecovery(int from, const QString &what)
{
    // Settled: idle, and either still connected or with the device's link gone.
    QVERIFY2(_core.waitFor([&]() { return _core.isIdle() && (_core.core->isConnected() || !_core.isLinkUp(fm200())); }),
        qPrintable(what));
    QVERIFY(_core.settle());
    const QStringList problems = _core.problems(from);
    QVERIFY2(problems.size() <= 1, qPrintable(what + QStringLiteral(": ") + problems.join(QStringLiteral(" | "))));
    if (!_core.core->isConnected())
        QVERIFY2(problems.size() == 1, qPrintable(what + QStringLiteral(": the user was not told")));
    QCOMPARE(_core.recorder->last("appCoreBusy").args, QVariantList { false });
    QVERIFY(_core.isIdle());

    shortTimers(false);
    _core.withEngine(fm200(), [](simulator::DeviceEngine &engine) { engine.clearFailure(); });
    if (_core.core->isConnected()) {
        _core.core->connectClicked();
        QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
    }
    const int again = _core.recorder->mark();
    QVERIFY2(_core.connect(fm200(), QStringLiteral("4711")), qPrintable(what + QStringLiteral(": no reconnect")));
    QVERIFY(_core.settle());
    QVERIFY2(_core.problems(again).isEmpty(), qPrintable(_core.problems(again).join(QStringLiteral(" | "))));
}

void TestCoreFailures::duringConnect_data()
{
    QTest::addColumn<int>("mode");
    for (FailureMode mode : simulator::allFailureModes())
        QTest::newRow(qPrintable(simulator::toText(mode))) << int(mode);
}

void TestCoreFailures::duringConnect()
{
    QFETCH(int, mode);
    simulator::FailureInjection failure = simulator::FailureInjection::of(FailureMode(mode));
    failure.delayUs = 2000 * 1000; // VerySlowAnswer: beyond every shortened timer
    inject(failure);
    shortTimers(true);
    const int from = _core.recorder->mark();
    _core.connect(fm200(), QStringLiteral("4711"));
    checkRecovery(from, simulator::toText(FailureMode(mode)));
}

void TestCoreFailures::duringAction_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("action");
    // One action of each kind of exchange: a structured read and write, a command, a raw read.
    const QList<QPair<Action, const char *>> actions = { { Action::GetSettings, "read settings" },
        { Action::SaveSettings, "save settings" }, { Action::Command, "command" }, { Action::ReadFile, "read file" } };
    for (const auto &[action, name] : actions) {
        for (FailureMode mode : simulator::allFailureModes()) {
            // Authentication failures are the connect test's.
            if (mode == FailureMode::BusyAuthentication || mode == FailureMode::LockoutAfterAuthentication)
                continue;
            QTest::addRow("%s, %s", name, qPrintable(simulator::toText(mode))) << int(mode) << int(action);
        }
    }
}

void TestCoreFailures::duringAction()
{
    QFETCH(int, mode);
    QFETCH(int, action);
    QVERIFY(_core.connect(fm200(), QStringLiteral("4711")));
    QVERIFY(_core.waitIdle());
    simulator::FailureInjection failure = simulator::FailureInjection::of(FailureMode(mode));
    failure.hits = 1;
    failure.delayUs = 2000 * 1000;
    const int from = _core.recorder->mark();
    // The failure and the action in one turn of the event loop: no poll comes between them.
    inject(failure);
    shortTimers(true);
    switch (Action(action)) {
    case Action::GetSettings: _core.core->getSettingsClicked(); break;
    case Action::SaveSettings:
        _core.element(104)->setData(90);
        _core.core->saveSettingsClicked();
        break;
    case Action::Command: _core.core->executeCommand(301); break;
    case Action::ReadFile: _core.core->deviceFileCmdToRead(17); break;
    }
    checkRecovery(from, QString::fromLatin1(QTest::currentDataTag()));
}

void TestCoreFailures::linkCutDuringConnect()
{
    // The packets of a whole connect chain, both ways, as the link carries them.
    _core.withEngine(fm200(), [](simulator::DeviceEngine &engine) { engine.resetCounters(); });
    QVERIFY(_core.connect(fm200(), QStringLiteral("4711")));
    int total = 0;
    _core.withEngine(fm200(), [&](simulator::DeviceEngine &engine) {
        total = engine.counters().packetsReceived + engine.counters().packetsSent;
    });
    QVERIFY(total > 20);
    _core.core->connectClicked();
    QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));

    for (int i = 1; i <= total; ++i) {
        _core.cut->atPacket = i;
        shortTimers(true);
        const int from = _core.recorder->mark();
        _core.connect(fm200(), QStringLiteral("4711"));
        _core.cut->atPacket = 0;
        checkRecovery(from, QStringLiteral("cut at packet %1 of %2").arg(i).arg(total));
        _core.core->connectClicked();
        QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
    }
}

QTEST_MAIN(TestCoreFailures)
#include "tst_core_failures.moc"
