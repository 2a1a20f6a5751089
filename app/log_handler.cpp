#include "app/log_handler.h"

#include <QTextStream>

#include <cstdio>

namespace app {

QString logLevelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return QStringLiteral("DEBUG");
    case QtWarningMsg: return QStringLiteral("WARNING");
    case QtCriticalMsg: return QStringLiteral("CRITICAL");
    case QtFatalMsg: return QStringLiteral("FATAL");
    case QtInfoMsg: break;
    }
    return QStringLiteral("INFO");
}

QString formatLogLine(QtMsgType type, const char *file, int line, const QString &message, const QDateTime &utcTime)
{
    const QString where
        = file ? QStringLiteral("[%1:%2]").arg(QString::fromUtf8(file), QString::number(line)) : QString();
    // One multi-argument substitution: a "%1" inside the message stays as it is.
    return QStringLiteral("[%1][%2][%3] %4")
        .arg(utcTime.toString(QStringLiteral("dd.MM.yyyy/hh:mm:ss.zzz")), logLevelWord(type), where, message);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString line = formatLogLine(type, context.file, context.line, message, QDateTime::currentDateTimeUtc());
    QTextStream out(stdout);
    out << line << Qt::endl;
}

} // namespace app
