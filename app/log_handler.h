#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The one log line format of the program: "[time][LEVEL][[file:line]] text" on standard output.
namespace app {

// Level word of a message type; unknown types read "INFO".
QString logLevelWord(QtMsgType type);

// Formats one line (without the newline). `file` may be null; `utcTime` is formatted as given.
QString formatLogLine(QtMsgType type, const char *file, int line, const QString &message, const QDateTime &utcTime);

// Qt message handler writing formatLogLine(..., now in UTC) and a newline to standard output, flushed.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

} // namespace app
