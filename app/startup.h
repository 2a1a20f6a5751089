#pragma once

namespace app {

// The whole life of the process: start-up, event loop and quit. Returns the exit code.
//
// Options (besides Qt's own):
//   --quit-after-load   start everything, load the main document, then quit at once
//                       (a smoke run of the start-up and quit sequences).
//   --simulator [FOLDER] run on simulated devices (DeviceTransportOption) instead of Bluetooth LE;
//                       exit code 1 when they cannot be loaded.
int run(int argc, char **argv);

} // namespace app
