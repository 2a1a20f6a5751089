#pragma once

namespace app {

// Runs once when the application is about to quit: stops the modules in their fixed order.
// Every stop is a no-op for a module that was never created.
struct QuitHandler
{
    void operator()() const;
};

} // namespace app
