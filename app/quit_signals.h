#pragma once

#include <QObject>

class QSocketNotifier;

namespace app {

// SIGTERM and SIGINT (a service manager stopping the program, Ctrl+C in a terminal) end the program the
// way closing its window does: the event loop quits and the quit order runs. The signal handler only
// writes a byte to a socket pair; the event loop reads it and quits.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers for the life of the returned object (one per process).
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

private:
    void onSignal();

    QSocketNotifier *_notifier = nullptr;
};

} // namespace app
