// Application start-up: the MIDI service, the frame, its set-up, then the window.
#include "app/DAmplix.h"

#include "app/DFrame.h"
#include "app/FontWarmUp.h"
#include "app/UiTextsQt.h"
#include "midi/MidiServiceFactory.h"
#include "midi/SimulatorStore.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

// A diagnostic for start-up measurements: with AMPLIX_EXIT_WHEN_SHOWN=1 the program prints one
// line ("amplix32: shown, MIDI open" or "... MIDI closed") on standard output as soon as the
// main window is first exposed and painted, and then ends at once, closing nothing, so that
// its CPU time and peak memory are those of the start-up alone. Without the variable nothing
// changes.
class ExitWhenShown : public QObject {
public:
    ExitWhenShown(DFrame* frame, QObject* parent) : QObject(parent), frame_(frame) {}

    static bool wanted() { return qEnvironmentVariableIntValue("AMPLIX_EXIT_WHEN_SHOWN") == 1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (!done_ && event->type() == QEvent::Expose && window && window->isExposed()) {
            done_ = true;
            // Right after this expose has been handled, that is once the window is painted.
            QTimer::singleShot(0, this, [this] {
                const bool open =
                    frame_->HPODMidiIn != amplix::kNoHandle && frame_->HPODMidiOut != amplix::kNoHandle;
                std::printf("amplix32: shown, MIDI %s\n", open ? "open" : "closed");
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    DFrame* frame_;
    bool done_ = false;
};

} // namespace

DAmplix::DAmplix(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(qtText(amplix::text::kAppName));
    setOrganizationName(QStringLiteral("Amplix"));
    // Ties the windows to amplix32.desktop: on Wayland the task bar takes name and icon from it.
    setDesktopFileName(QStringLiteral("amplix32"));
}

DAmplix::~DAmplix() {
    frame_.reset();          // the frame closes its ports while the service still exists
    simulatorStore_.reset(); // what the simulator last took is written before it goes
    midi_.reset();
}

bool DAmplix::InitMainWindow(std::unique_ptr<amplix::MidiService> midi) {
    midi_ = std::move(midi);
    // The data folder is known once the application has its name.
    if (amplix::SimulatorMidiService* simulator = builtInSimulator(*midi_)) {
        simulatorStore_ = std::make_unique<SimulatorStore>(*simulator, SimulatorStore::defaultFolder());
        // A session that ends by logging out may never reach the destructor.
        connect(this, &QGuiApplication::commitDataRequest, simulatorStore_.get(), &SimulatorStore::flush);
        connect(this, &QCoreApplication::aboutToQuit, simulatorStore_.get(), &SimulatorStore::flush);
    }
    frame_ = std::make_unique<DFrame>(*midi_);
    frame_->setSimulatorStore(simulatorStore_.get());
    // The MIDI setup dialog, when needed, comes up before the main window is shown.
    frame_->SetupWindow();
    if (frame_->closeRequested())
        return false;
    if (ExitWhenShown::wanted()) {
        frame_->winId(); // the native window exists before it is shown, so the filter sees its first expose
        frame_->windowHandle()->installEventFilter(new ExitWhenShown(frame_.get(), this));
    }
    frame_->show();
    return true;
}

int OwlMain(int argc, char** argv) {
    // What can run beside the user-interface thread starts first: the font configuration is read,
    // and the MIDI service looks for a JACK server, while the application connects to the display.
    FontWarmUp fonts;
    auto midi = createSystemMidiService();
    DAmplix app(argc, argv);
    fonts.wait();
    if (!app.InitMainWindow(std::move(midi)))
        return 1;
    return app.exec();
}
