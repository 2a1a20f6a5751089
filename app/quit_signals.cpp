#include "app/quit_signals.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace app {

#ifdef Q_OS_UNIX
namespace {

int s_pair[2] = { -1, -1 };

extern "C" void onQuitSignal(int number)
{
    const char byte = char(number);
    // Nothing else is safe here; a full pipe means a quit is on its way already.
    [[maybe_unused]] const ssize_t written = ::write(s_pair[0], &byte, 1);
}

} // namespace
#endif

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pair) != 0) {
        qWarning() << "No quit on SIGTERM and SIGINT: socketpair failed";
        return;
    }
    _notifier = new QSocketNotifier(s_pair[1], QSocketNotifier::Read, this);
    connect(_notifier, &QSocketNotifier::activated, this, &QuitSignals::onSignal);
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
#endif
}

QuitSignals::~QuitSignals()
{
#ifdef Q_OS_UNIX
    if (!_notifier)
        return;
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    ::close(s_pair[0]);
    ::close(s_pair[1]);
    s_pair[0] = s_pair[1] = -1;
#endif
}

void QuitSignals::onSignal()
{
#ifdef Q_OS_UNIX
    char byte = 0;
    if (::read(s_pair[1], &byte, 1) != 1)
        return;
    qInfo().noquote() << QStringLiteral("Signal %1: quitting").arg(int(byte));
#endif
    QCoreApplication::quit();
}

} // namespace app
