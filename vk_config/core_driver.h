#pragma once

#include "configurator/gui_qml_handler.h"
#include "event_core/i_topic_subscriber.h"
#include "vk_config/outcome.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QTextStream;

namespace vk_config {

// Drives the application core as the window does: it calls AppCore's slots and follows its
// signals. Every wait runs the event loop until a condition on the core's state holds, checked
// again whenever the core signals, bounded by a deadline. The core shows errors as dialogs
// (appCoreShowErrorDialog); the driver keeps them and tells a job's outcome from the dialogs shown
// while it ran.
class CoreDriver : public QObject
{
    Q_OBJECT

public:
    struct Dialog
    {
        QString title;
        QString text;
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

    // Starts a device search (Connect pressed while not connected) and waits until the device with
    // `serial` is listed; its key in the device list, or empty when it was not seen before `deadline`.
    // The search keeps running: pick the device or cancel().
    QString search(quint64 serial, const QDeadlineTimer &deadline);
    // Waits until the search job of `taskType` (MakeBleDiscovery, MakeBleDiscoveryForFirmwareUpdate)
    // runs.
    bool waitForSearchJob(int taskType, const QDeadlineTimer &deadline);
    // Closes the device list without a choice and waits until the core is idle.
    void cancelSearch(const QDeadlineTimer &deadline);

    // The whole connect: search, pick, answer the password, wait for the end of the connect chain.
    Outcome connectDevice(quint64 serial, const QDeadlineTimer &searchDeadline, const QDeadlineTimer &deadline);
    // Disconnects (when connected) and waits until the core is idle and disconnected.
    void disconnectDevice(const QDeadlineTimer &deadline);

    // Runs one user action and waits until the core is idle again and `done` holds; the outcome is
    // that of the dialogs shown meanwhile.
    Outcome runAction(const std::function<void()> &action, const std::function<bool()> &done, const QString &what,
        const QDeadlineTimer &deadline);

    // Waits until what the modules published on the bus's System topics so far (errors, diagnostics)
    // has reached the core: a marker published now arrives after it. A connection that ended without
    // a reason yet may have its error still on the way.
    bool settle(const QDeadlineTimer &deadline);

    // Marks the present point of the dialogs, opened files and connection changes.
    int dialogMark() const { return int(_dialogs.size()); }
    QList<Dialog> dialogsSince(int mark) const { return _dialogs.mid(mark); }
    // The first dialog since `mark` that reports a failure, as an outcome (success when none).
    Outcome problemSince(int mark) const;
    // Whether a dialog since `mark` has a title and contains `text`.
    bool dialogSince(int mark, const QString &title, const QString &text) const;
    int connectionChanges() const { return _connectionChanges; }
    int loadedData(int elementType) const;
    // Local files the core asked the desktop to open (saved raw files, reports), in order.
    const QStringList &openedFiles() const { return _openedFiles; }

    // Whether the core's device list holds `serial`; its key or empty.
    QString listedKey(quint64 serial) const;

public slots:
    // The desktop's URL handler for "file" while the driver lives: nothing is launched.
    void openUrl(const QUrl &url);

private:
    void changed();
    void onDialog(const QString &title, const QString &text);
    void onProgress(const QString &text);

    configurator::GuiQmlHandler *const _core;
    QTextStream &_err;
    QString _password;
    bool _showProgress = false;
    QList<Dialog> _dialogs;
    QStringList _openedFiles;
    int _connectionChanges = 0;
    int _loaded[3] = { 0, 0, 0 };
    QString _lastProgress;
    int _lastPercent = -100;
    int _percent = -1;
    std::function<void()> _wake;
    event_core::ITopicSubscriber _publisher;
    int _settles = 0;
};

} // namespace vk_config
