#pragma once

#include "configurator/gui_qml_handler.h"
#include "vk_config/outcome.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QTextStream;

namespace vk_config {

// Drives the application core as the window does: it calls AppCore's slots and follows its signals.
// Every wait runs the event loop until a condition on the core's state holds, checked again whenever
// the core signals, bounded by a deadline. The core tells how each user action ended
// (appCoreActionFinished); the driver turns that outcome into vk-config's exit code and never reads the
// texts the core shows to people to decide anything.
class CoreDriver : public QObject
{
    Q_OBJECT

public:
    using UserAction = configurator::GuiQmlHandler::UserAction;
    using CoreOutcome = configurator::GuiQmlHandler::Outcome;

    // One user action of the core that ended.
    struct Finish
    {
        UserAction action = UserAction::None;
        CoreOutcome outcome = CoreOutcome::Ok;
        QString message;
    };

    explicit CoreDriver(configurator::GuiQmlHandler *core, QTextStream &err);
    ~CoreDriver() override;

    configurator::GuiQmlHandler *core() const { return _core; }

    // The password given when the core asks for one.
    void setPassword(const QString &password) { _password = password; }
    // Progress of transfers and job texts on standard error (firmware updates).
    void setShowProgress(bool show) { _showProgress = show; }

    // Runs the event loop until `condition` holds (true) or `deadline` passes (false).
    bool waitUntil(const std::function<bool()> &condition, const QDeadlineTimer &deadline);

    bool isIdle() const { return !_core->isBusyWithTasks(); }

    // Marks the present point of the actions that ended; the first end of `action` since `mark`.
    int finishMark() const { return int(_finished.size()); }
    std::optional<Finish> finishedSince(int mark, UserAction action) const;

    // Starts a device search (Connect pressed while not connected) and waits until the device with
    // `serial` is listed or the search ended; its key in the device list, or empty when it was not seen
    // before `deadline`. The search keeps running: pick the device or cancelSearch().
    QString search(quint64 serial, const QDeadlineTimer &deadline);
    // Waits until the search job of `taskType` (MakeBleDiscovery, MakeBleDiscoveryForFirmwareUpdate)
    // runs, or `action` ended before it did.
    bool waitForSearchJob(int taskType, UserAction action, int mark, const QDeadlineTimer &deadline);
    // Closes the device list without a choice and waits until the core is idle.
    void cancelSearch(const QDeadlineTimer &deadline);

    // The whole connect: search, pick, answer the password, wait for the end of the connect chain.
    Outcome connectDevice(quint64 serial, const QDeadlineTimer &searchDeadline, const QDeadlineTimer &deadline);
    // Disconnects (when connected) and waits until the core is idle and disconnected.
    void disconnectDevice(const QDeadlineTimer &deadline);

    // Runs one user action (`start` calls the core's slot) and waits for its end.
    Outcome runAction(const std::function<void()> &start, UserAction action, const QString &what,
        const QDeadlineTimer &deadline);
    // The exit code and line of an action's end; `what` names it in the line ("saving the settings").
    static Outcome outcomeOf(const Finish &finish, const QString &what);

    // Local files the core asked the desktop to open (saved raw files, reports), in order.
    const QStringList &openedFiles() const { return _openedFiles; }

    // Whether the core's device list holds `serial`; its key or empty.
    QString listedKey(quint64 serial) const;

public slots:
    // The desktop's URL handler for "file" while the driver lives: nothing is launched.
    void openUrl(const QUrl &url);

private:
    void changed();
    void onProgress(const QString &text);

    configurator::GuiQmlHandler *const _core;
    QTextStream &_err;
    QString _password;
    bool _showProgress = false;
    QList<Finish> _finished;
    QStringList _openedFiles;
    QString _lastProgress;
    int _lastPercent = -100;
    int _percent = -1;
    std::function<void()> _wake;
};

} // namespace vk_config
