// Application start-up: the MIDI service, the frame, its set-up, then the window.
#include "app/DAmplix.h"

#include "app/DFrame.h"
#include "midi/MidiServiceFactory.h"

DAmplix::DAmplix(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Amplix 32"));
    setOrganizationName(QStringLiteral("Amplix"));
}

DAmplix::~DAmplix() {
    frame_.reset(); // the frame closes its ports while the service still exists
    midi_.reset();
}

bool DAmplix::InitMainWindow() {
    midi_ = createSystemMidiService();
    frame_ = std::make_unique<DFrame>(*midi_);
    // The MIDI setup dialog, when needed, comes up before the main window is shown.
    frame_->SetupWindow();
    if (frame_->closeRequested())
        return false;
    frame_->show();
    return true;
}

int OwlMain(int argc, char** argv) {
    DAmplix app(argc, argv);
    if (!app.InitMainWindow())
        return 1;
    return app.exec();
}
