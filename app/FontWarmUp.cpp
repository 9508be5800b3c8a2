// Reads the system's font configuration on a thread of its own while the program starts.
#include "app/FontWarmUp.h"

#if defined(AMPLIX_HAVE_FONTCONFIG)
#include <fontconfig/fontconfig.h>
#endif

#include <system_error>

FontWarmUp::FontWarmUp() {
#if defined(AMPLIX_HAVE_FONTCONFIG)
    try {
        // FcInit is safe from any thread; the configuration it loads is the one every later
        // caller, Qt's font database among them, is handed.
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads the configuration itself when it needs it.
    }
#endif
}

FontWarmUp::~FontWarmUp() {
    wait();
}

void FontWarmUp::wait() {
    if (thread_.joinable())
        thread_.join();
}
