#include "simulator/debug_output.h"

namespace simulator {

namespace {

bool isUtf8Continuation(char byte)
{
    return (quint8(byte) & 0xC0) == 0x80;
}

} // namespace

void DebugOutput::setScript(const DebugScript &script)
{
    _script = script;
    _queued.clear();
    _requests = 0;
    _periodicLines = 0;
}

void DebugOutput::boot()
{
    for (const QString &line : std::as_const(_script.boot))
        appendLine(line);
}

void DebugOutput::append(const QString &text)
{
    _queued += text.toUtf8();
    if (_queued.size() > kMaxQueued) {
        qsizetype cut = _queued.size() - kMaxQueued;
        while (cut < _queued.size() && isUtf8Continuation(_queued.at(cut)))
            ++cut;
        _queued.remove(0, cut);
    }
}

void DebugOutput::appendLine(const QString &line)
{
    append(line.endsWith(QLatin1Char('\n')) ? line : line + QLatin1Char('\n'));
}

QByteArray DebugOutput::take(int maxBytes)
{
    ++_requests;
    if (!_script.periodic.isEmpty() && _script.everyRequests > 0 && _requests % _script.everyRequests == 0) {
        const QString line = _script.periodic.at(_periodicLines % _script.periodic.size());
        ++_periodicLines;
        appendLine(QString(line).replace(QLatin1String("{n}"), QString::number(_periodicLines)));
    }
    qsizetype size = qMin<qsizetype>(qMax(maxBytes, 0), _queued.size());
    while (size > 0 && size < _queued.size() && isUtf8Continuation(_queued.at(size)))
        --size;
    const QByteArray piece = _queued.left(size);
    _queued.remove(0, size);
    return piece;
}

} // namespace simulator
