#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>

namespace utils {

// One queued job of the application core: what to show while it runs, what to say when it fails
// or times out, its arguments, and the timer that bounds it.
class ApplicationTask : public QObject
{
    Q_OBJECT

public:
    ApplicationTask(int type, const QString &waitingMessage, const QString &errorMessage, const QString &timeoutMessage,
        qint64 timeout, QObject *parent = nullptr);
    ApplicationTask(int type, const QString &waitingMessage, const QString &timeoutMessage, qint64 timeout,
        QObject *parent = nullptr);
    ApplicationTask(int type, bool silent, bool passImmediately, qint64 timeout, QObject *parent = nullptr);

    int type() const { return _type; }
    QString waitingMessage() const { return _waitingMessage; }
    QString errorMessage() const { return _errorMessage; }
    QString timeoutMessage() const { return _timeoutMessage; }
    qint64 timeoutMs() const { return _timeout; }
    void setTimeoutMs(qint64 timeout);

    QVariantList extraArgs() const { return _extraArgs; }
    void setExtraArgs(const QVariantList &extraArgs) { _extraArgs = extraArgs; }

    bool isSilent() const { return _silent; }
    void setSilent(bool silent) { _silent = silent; }
    bool passImmediately() const { return _passImmediately; }
    void setPassImmediately(bool passImmediately) { _passImmediately = passImmediately; }
    bool timeoutIsNormal() const { return _timeoutIsNormal; }
    void setTimeoutIsNormal(bool timeoutIsNormal) { _timeoutIsNormal = timeoutIsNormal; }

    bool isRunning() const { return _timer.isActive(); }

signals:
    void timeout(QString message);

public slots:
    void start();
    void stop();
    // Starts the timer again with the full interval.
    void restartTimeout();

private:
    void init(qint64 timeout);

    const int _type;
    const QString _waitingMessage;
    const QString _errorMessage;
    const QString _timeoutMessage;
    qint64 _timeout = 0;
    QVariantList _extraArgs;
    bool _silent = false;
    bool _passImmediately = false;
    bool _timeoutIsNormal = false;
    QTimer _timer;
};

} // namespace utils
