#include "app/first_frame_probe.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>

namespace app {

void FirstFrameProbe::quitAfterFirstFrame(QQmlApplicationEngine &engine, const QElapsedTimer &sinceStart)
{
    auto *window
        = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window) {
        qWarning() << "No window to measure";
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }
    // The swap may be reported from the render thread: measure and quit in the GUI thread.
    QObject::connect(
        window, &QQuickWindow::frameSwapped, qApp,
        [sinceStart]() {
            static bool reported = false;
            if (reported)
                return;
            reported = true;
            qInfo().noquote() << QStringLiteral("First frame: %1 ms after start, resident memory %2 kB")
                                     .arg(sinceStart.elapsed())
                                     .arg(residentKilobytes());
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);
}

qint64 FirstFrameProbe::residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace app
