#include "vk_config/core_driver.h"

#include "vk_config/value_format.h"

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
    return ValueFormat::printable(text.simplified());
}

} // namespace

CoreDriver::CoreDriver(configurator::GuiQmlHandler *core, QTextStream &err) : _core(core), _err(err)
{
    QDesktopServices::setUrlHandler(kUrlScheme, this, "openUrl");
    connect(core, &GuiQmlHandler::appCoreShowErrorDialog, this, &CoreDriver::onDialog);
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
    connect(core, &GuiQmlHandler::appCoreUpdateConnStatus, this, [this]() {
        ++_connectionChanges;
        changed();
    });
    connect(core, &GuiQmlHandler::loadDataToInterface, this, [this](int elementType) {
        if (elementType >= 0 && elementType < 3)
            ++_loaded[elementType];
        changed();
    });
    connect(core, &GuiQmlHandler::appCoreBusy, this, &CoreDriver::changed);
    connect(core, &GuiQmlHandler::appCoreDebugText, this, &CoreDriver::changed);
    connect(core, &GuiQmlHandler::appCoreBleDeviceDiscovered, this, &CoreDriver::changed);
    connect(core, &GuiQmlHandler::appCoreAddDeviceFileElement, this, &CoreDriver::changed);
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

void CoreDriver::onDialog(const QString &title, const QString &text)
{
    _dialogs.append({ title, text });
    // The device's own messages and the core's notices are shown; failures are told by the job.
    if (title == QLatin1String("info") || (title == QLatin1String("Info") && !_showProgress))
        _err << "vk-config: note: " << oneLine(text) << Qt::endl;
    changed();
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

bool CoreDriver::settle(const QDeadlineTimer &deadline)
{
    const QString marker = QStringLiteral("vk-config settles %1").arg(++_settles);
    _publisher.publish(
        new event_topics::system::DebugHappend(SubmoduleIds::Unknown, QStringLiteral("vk-config"), marker));
    return waitUntil([&]() { return _core->debugText().contains(marker); }, deadline);
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

int CoreDriver::loadedData(int elementType) const
{
    return elementType >= 0 && elementType < 3 ? _loaded[elementType] : 0;
}

bool CoreDriver::waitForSearchJob(int taskType, const QDeadlineTimer &deadline)
{
    // The job empties the device list when it starts: what is listed after that has been seen anew.
    const int mark = dialogMark();
    return waitUntil([&]() { return _core->currentTaskType() == taskType || !problemSince(mark).ok(); }, deadline);
}

QString CoreDriver::search(quint64 serial, const QDeadlineTimer &deadline)
{
    if (!_core->isConnected()) {
        _core->connectClicked();
        waitForSearchJob(GuiQmlHandler::MakeBleDiscovery, deadline);
    }
    waitUntil([&]() { return !listedKey(serial).isEmpty(); }, deadline);
    return listedKey(serial);
}

void CoreDriver::cancelSearch(const QDeadlineTimer &deadline)
{
    _core->appCoreConnectToBleDevice(QString());
    waitUntil([this]() { return isIdle(); }, deadline);
}

Outcome CoreDriver::connectDevice(quint64 serial, const QDeadlineTimer &searchDeadline, const QDeadlineTimer &deadline)
{
    const int mark = dialogMark();
    const int changes = _connectionChanges;
    const QString key = search(serial, searchDeadline);
    if (key.isEmpty()) {
        cancelSearch(deadline);
        const Outcome problem = problemSince(mark);
        if (!problem.ok())
            return problem;
        return Outcome::failure(ExitNotFound, QStringLiteral("device %1 not found").arg(serial));
    }
    _core->appCoreConnectToBleDevice(key);
    const bool ended = waitUntil([&]() { return isIdle() && _connectionChanges > changes; }, deadline);
    if (!_core->isConnected())
        settle(deadline);
    const Outcome problem = problemSince(mark);
    if (!problem.ok())
        return problem;
    if (!ended)
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("timed out while connecting"));
    if (!_core->isConnected())
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("the connection ended while connecting"));
    return Outcome::success();
}

void CoreDriver::disconnectDevice(const QDeadlineTimer &deadline)
{
    if (_core->isConnected())
        _core->connectClicked();
    waitUntil([this]() { return !_core->isConnected() && isIdle(); }, deadline);
}

Outcome CoreDriver::runAction(const std::function<void()> &action, const std::function<bool()> &done,
    const QString &what, const QDeadlineTimer &deadline)
{
    const int mark = dialogMark();
    action();
    const bool ended = waitUntil(
        [&]() { return isIdle() && (done() || !_core->isConnected() || !problemSince(mark).ok()); }, deadline);
    if (!done() && problemSince(mark).ok())
        settle(deadline);
    const Outcome problem = problemSince(mark);
    if (!problem.ok())
        return problem;
    if (!ended)
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("timed out while %1").arg(what));
    if (!done())
        return Outcome::failure(ExitDeviceFailed, QStringLiteral("the connection ended while %1").arg(what));
    return Outcome::success();
}

Outcome CoreDriver::problemSince(int mark) const
{
    for (const Dialog &dialog : dialogsSince(mark)) {
        if (dialog.title == QLatin1String("info") || dialog.title == QLatin1String("Info"))
            continue;
        if (dialog.text.contains(QLatin1String("Access denided")))
            return Outcome::failure(ExitAuthRefused,
                QStringLiteral("authentication refused: the device did not accept the password (%1)")
                    .arg(oneLine(dialog.text)));
        return Outcome::failure(ExitDeviceFailed, oneLine(dialog.title + QStringLiteral(": ") + dialog.text));
    }
    return Outcome::success();
}

bool CoreDriver::dialogSince(int mark, const QString &title, const QString &text) const
{
    for (const Dialog &dialog : dialogsSince(mark)) {
        if (dialog.title == title && dialog.text.contains(text))
            return true;
    }
    return false;
}

} // namespace vk_config
