// The MIDI setup dialog: input device, output device and channel.
#pragma once

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
namespace amplix {
class MidiService;
}

// Writes the user's choices through the pointers at once; the caller passes temporaries and
// keeps them only when the dialog ends with OK.
class DMidiSetupDialog : public QDialog {
public:
    DMidiSetupDialog(QWidget* parent, amplix::MidiService& midi, unsigned* PODMidiInPort,
                     unsigned* PODMidiOutPort, int* PODMidiCh);

    // Runs the dialog modally: 1 for "OK", 2 for "Cancel" or any other way of closing it.
    int Execute();

    // The line under the lists, such as why the dialog opened by itself.
    void setNotice(const QString& text);
    // Run before a search for the device, which needs every port: the caller closes its own.
    void setBeforeSearch(std::function<void()> beforeSearch) { beforeSearch_ = std::move(beforeSearch); }
    // Asks every port for the device and selects what answered; while it runs, stops it.
    void FindPod();
    bool searching() const { return searching_; }

    QComboBox* MidiChannel = nullptr;
    QComboBox* MidiInPort = nullptr;
    QComboBox* MidiOutPort = nullptr;
    QPushButton* ButtonFindPod = nullptr;
    QLabel* StaticFindResult = nullptr;
    QProgressBar* FindProgress = nullptr;
    int* p_PODMidiCh;
    unsigned* p_PODMidiInPort;
    unsigned* p_PODMidiOutPort;

protected:
    void reject() override;

private:
    void SetupWindow();
    // Lists the devices again when the system's lists changed, keeping the choices by name.
    void followDevices();
    void fillLists(std::vector<std::string> inputs, std::vector<std::string> outputs);
    // Shows text in the line under the lists, all of it.
    void showLine(const QString& text);
    void UpdatePODMCh();
    void UpdatePODMIn();
    void UpdatePODMOut();

    amplix::MidiService& midi_;
    std::function<void()> beforeSearch_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    QTimer follow_;
    bool searching_ = false;
    std::atomic<bool> cancel_{false};
};
