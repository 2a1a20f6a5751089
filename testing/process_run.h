#pragma once

// Running a child process from a test: its input, its exit and everything it wrote. Header-only.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vk_testing {

struct ProcessRun
{
    bool finished = false; // false: it did not start, or did not end in time (it was killed)
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    bool exitedNormally() const { return finished && status == QProcess::NormalExit; }
    // Standard output split at line feeds, without the empty piece after a final one.
    QList<QByteArray> outLines() const
    {
        QByteArray text = out;
        if (text.endsWith('\n'))
            text.chop(1);
        return text.isEmpty() ? QList<QByteArray>() : text.split('\n');
    }
};

// Runs `program` with `arguments`, writes `input` to it and closes its standard input, then waits
// up to `timeoutMs` for it to end.
inline ProcessRun runProcess(const QString &program, const QStringList &arguments, const QByteArray &input = {},
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(), int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProcessRun run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    process.write(input);
    process.closeWriteChannel();
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.status = process.exitStatus();
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace vk_testing
