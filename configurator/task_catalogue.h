#pragma once

#include "configurator/gui_qml_handler.h"

namespace utils {
class ApplicationTask;
}

namespace configurator {

// One row of the catalogue of job types: everything the engine knows of a type.
struct GuiQmlHandler::TaskRow
{
    enum Flag {
        Silent = 0x01, // no busy indication, no error dialog on timeout
        PassImmediately = 0x02, // runs its action and the engine moves on at once
        TimeoutIsNormal = 0x04, // its timer running out is its end, not an error
        ClosesProgress = 0x08, // its end hides the progress dialog (unless silent)
        StopsDiscovery = 0x10, // its end stops scanning and closes the device list
        ReportsProgress = 0x20, // a file transfer: the device side's progress texts are its own
        EndsSilentDisconnect = 0x40, // its end clears the silent-disconnect flag
    };

    TAppTaskType type;
    // Texts: null waiting text for the jobs built without texts, null error text for the constructor's
    // default.
    const char *waiting;
    const char *error;
    const char *timeoutText;
    // Milliseconds; the bootloader wait reads its time from the application settings.
    qint64 timeoutMs;
    int flags;
    TaskEnd end;
    void (GuiQmlHandler::*start)();

    bool has(Flag flag) const { return (flags & flag) != 0; }
};

// Builds the job of a type with its texts, timeout and flags; null for a type outside the catalogue.
utils::ApplicationTask *makeApplicationTask(GuiQmlHandler::TAppTaskType type, QObject *parent);

// Test hook: the timeout of every job of `type` built from now on; negative restores the catalogue's.
void overrideTaskTimeout(GuiQmlHandler::TAppTaskType type, qint64 timeoutMs);

} // namespace configurator
