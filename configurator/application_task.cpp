#include "configurator/application_task.h"

#include <limits>

namespace utils {

ApplicationTask::ApplicationTask(int type, const QString &waitingMessage, const QString &errorMessage,
    const QString &timeoutMessage, qint64 timeout, QObject *parent)
    : QObject(parent),
      _type(type),
      _waitingMessage(waitingMessage),
      _errorMessage(errorMessage),
      _timeoutMessage(timeoutMessage)
{
    init(timeout);
}

ApplicationTask::ApplicationTask(
    int type, const QString &waitingMessage, const QString &timeoutMessage, qint64 timeout, QObject *parent)
    : ApplicationTask(type, waitingMessage, tr("Empty task error message"), timeoutMessage, timeout, parent)
{ }

ApplicationTask::ApplicationTask(int type, bool silent, bool passImmediately, qint64 timeout, QObject *parent)
    : ApplicationTask(type, tr("Empty task waiting message"), tr("Empty task error message"),
        tr("Empty task timeout message"), timeout, parent)
{
    _silent = silent;
    _passImmediately = passImmediately;
}

void ApplicationTask::init(qint64 timeout)
{
    _timer.setSingleShot(true);
    setTimeoutMs(timeout);
    connect(&_timer, &QTimer::timeout, this, [this]() { emit this->timeout(_timeoutMessage); });
}

void ApplicationTask::setTimeoutMs(qint64 timeout)
{
    _timeout = timeout;
    _timer.setInterval(int(qBound(qint64(0), timeout, qint64(std::numeric_limits<int>::max()))));
}

void ApplicationTask::start()
{
    _timer.start();
}

void ApplicationTask::stop()
{
    _timer.stop();
}

void ApplicationTask::restartTimeout()
{
    _timer.start();
}

} // namespace utils
