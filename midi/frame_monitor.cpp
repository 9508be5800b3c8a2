// Options > MIDI Monitor: one window for the frame's life, listening only while it is open.
#include "app/DFrame.h"

#include "midi/DMidiMonitor.h"

void DFrame::CmMidiMonitor() {
    if (!MonitorWindow)
        MonitorWindow = new DMidiMonitor(this, monitorLog_);
    MonitorWindow->show();
    MonitorWindow->raise();
    MonitorWindow->activateWindow();
}
