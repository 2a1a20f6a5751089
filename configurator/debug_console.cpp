#include "configurator/debug_console.h"

#include "configurator/app_settings.h"

#include <QDateTime>
#include <QDebug>

namespace configurator {

namespace {
const QString kDialogStart = QStringLiteral("DIALOG_START");
const QString kDialogEnd = QStringLiteral("DIALOG_END");
} // namespace

QString DebugConsole::append(const QString &text)
{
    qDebug() << text;
    QString result = text;
    if (AppSettings::debugTimestamp())
        result.prepend(QStringLiteral("[%1] ").arg(
            QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yy hh:mm:ss.zzz"))));
    _fullText.append(result);
    return result;
}

void DebugConsole::takeResponse(const QString &text, QStringList &lines, QStringList &dialogs)
{
    _markerBuffer.append(text);
    _lineBuffer.append(text);

    for (;;) {
        const qsizetype start = _markerBuffer.indexOf(kDialogStart);
        if (start < 0)
            break;
        const qsizetype contentStart = start + kDialogStart.size();
        const qsizetype end = _markerBuffer.indexOf(kDialogEnd, contentStart);
        if (end < 0) {
            // Wait for the end marker; what lies before the start marker is of no use any more.
            _markerBuffer.remove(0, start);
            break;
        }
        dialogs.append(_markerBuffer.mid(contentStart, end - contentStart));
        _markerBuffer.remove(0, end + kDialogEnd.size());
    }
    // Without a start marker only its possible beginning at the very end needs keeping.
    if (!_markerBuffer.contains(kDialogStart) && _markerBuffer.size() >= kDialogStart.size())
        _markerBuffer = _markerBuffer.right(kDialogStart.size() - 1);

    for (;;) {
        const qsizetype lineFeed = _lineBuffer.indexOf(QLatin1Char('\n'));
        if (lineFeed < 0)
            break;
        lines.append(_lineBuffer.left(lineFeed + 1));
        _lineBuffer.remove(0, lineFeed + 1);
    }
    if (_lineBuffer.size() > kMaxPartialLine) {
        lines.append(_lineBuffer);
        _lineBuffer.clear();
    }
}

void DebugConsole::clear()
{
    _fullText.clear();
    clearResponseBuffers();
}

void DebugConsole::clearResponseBuffers()
{
    _markerBuffer.clear();
    _lineBuffer.clear();
}

} // namespace configurator
