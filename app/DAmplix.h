// The application object: creates the frame, runs its start-up and the message loop.
#pragma once

#include <QApplication>

#include <memory>

class DFrame;
class SimulatorStore;
namespace amplix {
class MidiService;
}

class DAmplix : public QApplication {
public:
    DAmplix(int& argc, char** argv);
    ~DAmplix() override;

    // Creates the frame on midi, the system's MIDI service, runs its start-up and shows it.
    // Returns false when start-up asked the program to end.
    bool InitMainWindow(std::unique_ptr<amplix::MidiService> midi);
    DFrame* mainWindow() const { return frame_.get(); }

private:
    std::unique_ptr<amplix::MidiService> midi_;
    std::unique_ptr<SimulatorStore> simulatorStore_;
    std::unique_ptr<DFrame> frame_;
};

// The program entry; arguments are ignored.
int OwlMain(int argc, char** argv);
