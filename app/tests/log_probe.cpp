// Child process for the log handler tests: installs the program's handler and logs a scenario
// chosen by the first argument, so the test can read the real standard output.
#include "app/log_handler.h"

#include <QByteArray>
#include <QDebug>
#include <QString>
#include <QThread>
#include <QVector>

#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    qInstallMessageHandler(app::logMessageHandler);
    const QByteArray scenario = argc > 1 ? QByteArray(argv[1]) : QByteArray("basic");

    if (scenario == "basic") {
        qDebug() << "plain debug";
        qInfo() << "info line";
        qWarning() << "warning line";
        qCritical() << "critical line";
        qDebug().noquote() << "percent %1 %2 %% %L1 %n";
        qDebug().noquote() << "";
        qDebug().noquote() << QString::fromUtf8("bad utf8 \xff\xfe end");
        qDebug() << "Settings file: " << QStringLiteral("/tmp/x.cfg");
        QMessageLogger("x", 12, nullptr).debug("with context");
        app::logMessageHandler(QtMsgType(7), QMessageLogContext(), QStringLiteral("unknown type"));
        qDebug().noquote() << QString(1 << 20, QLatin1Char('h'));
        qDebug().noquote() << "multi\nline";
    } else if (scenario == "fatal") {
        qFatal("fatal line");
    } else if (scenario == "threads") {
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back(
                QThread::create([t] {
                    for (int i = 0; i < 500; ++i)
                        qDebug().noquote()
                            << QStringLiteral("thread %1 line %2 %3").arg(t).arg(i).arg(QString(200, QLatin1Char('z')));
                }));
            threads.back()->start();
        }
        for (auto &thread : threads)
            thread->wait();
    }
    return 0;
}
