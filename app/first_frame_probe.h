#pragma once

#include <QElapsedTimer>

class QQmlApplicationEngine;

namespace app {

// Start-up measured from the outside: once the main window has shown its first frame, logs
// "First frame: <ms> ms after start, resident memory <kB> kB" and quits. Used by --quit-after-first-frame
// (and by the benchmark that compares the program with a bare window).
class FirstFrameProbe
{
public:
    // `sinceStart` runs from the first line of the process's own code.
    static void quitAfterFirstFrame(QQmlApplicationEngine &engine, const QElapsedTimer &sinceStart);

    // The process's resident memory in kB (Linux: VmRSS of /proc/self/status), or -1.
    static qint64 residentKilobytes();
};

} // namespace app
