#pragma once

#include "vk_config/request.h"

class QTextStream;

namespace vk_config {

// The life of one vk-config run, with the application object made: start the modules in the
// program's order (bus, settings store, core, device manager on the chosen transport), do the job on
// each device, stop them in the program's quit order. Returns the exit code.
int runTool(const Request &request, QTextStream &out, QTextStream &err);

} // namespace vk_config
