#include "vk_config/core_driver.h"

#include "vk_config/terminal_text.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <limits>

namespace vk_config {

namespace {

using configurator::GuiQmlHandler;

// A state the core reaches without a signal of its own is seen at the latest after this long.
constexpr int kRecheckMs = 20;

const QString kUrlScheme = QStringLiteral("file");

// A core's or device's text on one terminal line.
QString oneLine(const QString &text)
{
    return printable(text.simplified());
}

} // namespace

CoreDriver::CoreDriver(configurator::GuiQmlHandler *core, QTextStream &err) : _core(core), _err(err)
{
    QDesktopServices::setUrlHandler(kUrlScheme, this, "openUrl");
    connect(core, &GuiQmlHandler::appCoreActionFinished, this, [this](int action, int outcome, const QString &text) {
        _finished.append({ UserAction(action), CoreOutcome(outcome), text });
        changed();
    });
    // The device's own messages and the core's notices are shown; failures are told by the outcome.
    connect(core, &GuiQmlHandler::appCoreNotice, this, [this](const QString &, const QString &text) {
        _err << "vk-config: note: " << oneLine(text) << Qt::endl;
    });
    connect(core, &GuiQmlHandler::appCorePasswordRequest, this, [this]() {
        // Answered from the event loop, as a user answers the dialog after it opened.
        QMetaObject::invokeMethod(
            this,
            [this]() {
                if (_password.isEmpty())
                    _core->passwordCancelled();
                else
                    _core->passwordEntered(_password);
            },
            Qt::QueuedConnection);
    });
    connect(core, &GuiQmlHandler::appCoreUpdateConnStatus, this, &CoreDriver::changed);
    connect(core, &GuiQmlHandler::appCoreBusy, this, &CoreDriver::changed);
    connect(core, &GuiQmlHandler::appCoreBleDeviceDiscovered, this, &CoreDriver::changed);
    connect(core, &GuiQmlHandler::appCoreProgressText, this, &CoreDriver::onProgress);
    connect(core, &GuiQmlHandler::appCoreProgressPercentage, this, [this](int percentage) { _percent = percentage; });
    connect(core, &GuiQmlHandler::appCoreBusyText, this, [this](const QString &text) {
        if (_showProgress)
            _err << "vk-config: " << oneLine(text) << Qt::endl;
    });
}

CoreDriver::~CoreDriver()
{
    QDesktopServices::unsetUrlHandler(kUrlScheme);
}

void CoreDriver::changed()
{
    if (_wake)
        _wake();
}

void CoreDriver::onProgress(const QString &text)
{
    // The text carries the percentage at its end: a line per job and per tenth of the way.
    const int percent = _percent;
    _percent = -1;
    if (!_showProgress)
        return;
    const QString job = percent >= 0 ? text.section(u' ', 0, -2) : text;
    if (job == _lastProgress && percent < _lastPercent + 10 && !(percent == 100 && _lastPercent != 100))
        return;
    _lastProgress = job;
    _lastPercent = percent;
    _err << "vk-config: " << oneLine(text) << Qt::endl;
}

void CoreDriver::openUrl(const QUrl &url)
{
    _openedFiles.append(url.toLocalFile());
    changed();
}

bool CoreDriver::waitUntil(const std::function<bool()> &condition, const QDeadlineTimer &deadline)
{
    if (condition())
        return true;
    if (deadline.hasExpired())
        return false;
    QEventLoop loop;
    bool met = false;
    const auto check = [&]() {
        if (!met && condition()) {
            met = true;
            loop.quit();
        }
    };
    // After a signal the core may still be inside the slot that emitted it: check once it returned.
    _wake = [&]() { QMetaObject::invokeMethod(&loop, check, Qt::QueuedConnection); };
    QTimer recheck;
    recheck.setInterval(kRecheckMs);
    connect(&recheck, &QTimer::timeout, &loop, check);
    recheck.start();
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (!deadline.isForever())
        timeout.start(int(qBound(qint64(0), deadline.remainingTime(), qint64(std::numeric_limits<int>::max()))));
    loop.exec();
    _wake = nullptr;
    return met || condition();
}

std::optional<CoreDriver::Finish> CoreDriver::finishedSince(int mark, UserAction action) const
{
    for (int i = mark; i < _finished.size(); ++i) {
        if (_finished.at(i).action == action)
            return _finished.at(i);
    }
    return std::nullopt;
}

QString CoreDriver::listedKey(quint64 serial) const
{
    const auto &devices = _core->discoveredDevices();
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        if (it.value().deviceInfo.Serial == serial)
            return it.key();
    }
    return QString();
}

bool CoreDriver::waitForSearchJob(int taskType, UserAction action, int mark, const QDeadlineTimer &deadline)
{
    // The job empties the device list when it starts: what is listed after that has been seen anew.
    return waitUntil(
        [&]() { return _core->currentTaskType() == taskType || finishedSince(mark, action).has_value(); }, deadline);
}

QString CoreDriver::search(quint64 serial, const QDeadlineTimer &deadline)
{
    const int mark = finishMark();
    if (!_core->isConnected()) {
        _core->connectClicked();
        waitForSearchJob(GuiQmlHandler::MakeBleDiscovery, UserAction::Connect, mark, deadline);
    }
    waitUntil(
        [&]() { return !listedKey(serial).isEmpty() || finishedSince(mark, UserAction::Connect).has_value(); },
        deadline);
    return finishedSince(mark, UserAction::Connect) ? QString() : listedKey(serial);
}

void CoreDriver::cancelSearch(const QDeadlineTimer &deadline)
{
    _core->appCoreConnectToBleDevice(QString());
    waitUntil([this]() { return isIdle(); }, deadline);
}

Outcome CoreDriver::connectDevice(quint64 serial, const QDeadlineTimer &searchDeadline, const QDeadlineTimer &deadline)
{
    const int mark = finishMark();
    const QString key = search(serial, searchDeadline);
    if (key.isEmpty()) {
        // The search itself may have failed (no adapter, an error of the device side).
        if (const auto ended = finishedSince(mark, UserAction::Connect);
            ended && ended->outcome != CoreOutcome::Cancelled)
            return outcomeOf(*ended, QStringLiteral("searching"));
        cancelSearch(deadline);
        return Outcome::failure(ExitNotFound, QStringLiteral("device %1 not found").arg(serial));
    }
    _core->appCoreConnectToBleDevice(key);
    waitUntil([&]() { return finishedSince(mark, UserAction::Connect).has_value(); }, deadline);
    const auto ended = finishedSince(mark, UserAction::Connect);
    if (!ended)
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("timed out while connecting"));
    return outcomeOf(*ended, QStringLiteral("connecting"));
}

void CoreDriver::disconnectDevice(const QDeadlineTimer &deadline)
{
    if (_core->isConnected())
        _core->connectClicked();
    waitUntil([this]() { return !_core->isConnected() && isIdle(); }, deadline);
}

Outcome CoreDriver::runAction(
    const std::function<void()> &start, UserAction action, const QString &what, const QDeadlineTimer &deadline)
{
    const int mark = finishMark();
    start();
    waitUntil([&]() { return finishedSince(mark, action).has_value(); }, deadline);
    const auto ended = finishedSince(mark, action);
    if (!ended)
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("timed out while %1").arg(what));
    return outcomeOf(*ended, what);
}

Outcome CoreDriver::outcomeOf(const Finish &finish, const QString &what)
{
    const QString told = oneLine(finish.message);
    const auto failure = [&](int code, const QString &otherwise) {
        return Outcome::failure(code, told.isEmpty() ? otherwise : told);
    };
    switch (finish.outcome) {
    case CoreOutcome::Ok: return Outcome::success();
    case CoreOutcome::AuthRefused:
        return Outcome::failure(ExitAuthRefused,
            QStringLiteral("authentication refused: the device did not accept the password (%1)").arg(told));
    case CoreOutcome::NotFound: return failure(ExitNotFound, QStringLiteral("not found while %1").arg(what));
    case CoreOutcome::DeviceBusy: return failure(ExitDeviceFailed, QStringLiteral("the device is busy"));
    case CoreOutcome::LinkLost:
        return failure(ExitDeviceFailed, QStringLiteral("the connection ended while %1").arg(what));
    case CoreOutcome::Timeout: return failure(ExitDeviceFailed, QStringLiteral("timed out while %1").arg(what));
    case CoreOutcome::NotConnected:
        return failure(ExitDeviceFailed, QStringLiteral("not connected while %1").arg(what));
    case CoreOutcome::Cancelled: return failure(ExitDeviceFailed, QStringLiteral("%1 was cancelled").arg(what));
    case CoreOutcome::UnreadableFile:
    case CoreOutcome::FileError:
    case CoreOutcome::RefusedByDevice:
    case CoreOutcome::Failed: break;
    }
    return failure(ExitDeviceFailed, QStringLiteral("%1 failed").arg(what));
}

} // namespace vk_config
