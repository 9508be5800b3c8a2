// Reads the system's font configuration on a thread of its own while the program starts.
#pragma once

#include <thread>

// Before a window shows its first text, fontconfig has to read its configuration files and
// caches: the largest single piece of work in the editor's start-up. Qt does it on first use,
// on the user-interface thread. Started first thing, it runs here while the application
// connects to the display; wait() returns once it is done, and Qt then finds it done.
// Without fontconfig this does nothing.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Blocks until the configuration is read. Call it before the first text is measured: a
    // second reader meanwhile would do the same work again.
    void wait();

private:
    std::thread thread_;
};
