#include "configurator/program_info.h"

#include <QStandardPaths>

#include <atomic>

namespace configurator {

namespace {
std::atomic<bool> s_simulatedDevices { false };
} // namespace

ProgramInfo::ProgramInfo(QObject *parent) : QObject(parent) { }

QString ProgramInfo::version()
{
    return QStringLiteral(VK_PROGRAM_VERSION);
}

bool ProgramInfo::simulatedDevices()
{
    return s_simulatedDevices;
}

void ProgramInfo::setSimulatedDevices(bool simulated)
{
    s_simulatedDevices = simulated;
}

} // namespace configurator

namespace configurator {

QUrl ProgramInfo::downloadFolder()
{
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::DownloadLocation);
    return folders.isEmpty() ? QUrl() : QUrl::fromLocalFile(folders.first());
}

} // namespace configurator
