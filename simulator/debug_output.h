#pragma once

#include "simulator/device_definition.h"

#include <QByteArray>
#include <QString>

namespace simulator {

// The debug text a simulated device has queued for the master: the boot lines of its script, the
// periodic lines that come up every few debug requests, and what the device reports as it works.
// Each debug request takes the oldest queued bytes, cut at a UTF-8 character boundary.
class DebugOutput
{
public:
    // Oldest text is dropped beyond this (nobody asked for it for a long time).
    static constexpr qsizetype kMaxQueued = 16 * 1024;

    // Starts over with `script`: nothing queued, periodic lines from the first.
    void setScript(const DebugScript &script);
    // Queues the boot lines of the script.
    void boot();
    // Queues `text` as it stands.
    void append(const QString &text);
    // Counts one debug request (queuing a periodic line when its turn has come) and takes up to
    // `maxBytes` of the queued text.
    QByteArray take(int maxBytes);

    qsizetype queuedSize() const { return _queued.size(); }

private:
    void appendLine(const QString &line);

    DebugScript _script;
    QByteArray _queued;
    int _requests = 0;
    int _periodicLines = 0;
};

} // namespace simulator
