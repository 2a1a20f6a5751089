#pragma once

#include <QString>

namespace vk_config {

// Exit codes of vk-config.
enum ExitCode {
    ExitSuccess = 0,
    ExitDeviceFailed = 1, // the device refused or failed, or did not answer in time
    ExitUsage = 2, // the command line, or a value that does not fit the device's profile
    ExitNotFound = 3, // the device was not found
    ExitAuthRefused = 4, // the device refused the password
};

// How one job on one device ended: an exit code and, for a failure, one readable line.
struct Outcome
{
    int code = ExitSuccess;
    QString message;

    bool ok() const { return code == ExitSuccess; }
    static Outcome success() { return {}; }
    static Outcome failure(int code, const QString &message) { return { code, message }; }
};

} // namespace vk_config
