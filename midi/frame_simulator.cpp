// Working without the device: the built-in simulator's saved patches and Options > Reset Simulator.
#include "app/DFrame.h"

#include "app/CommandIds.h"
#include "app/QuestionBox.h"
#include "app/UiTextsQt.h"
#include "device/FactoryPatches.h"
#include "device/SimulatorMemory.h"
#include "midi/MidiServiceFactory.h"
#include "midi/SimulatorMidiService.h"
#include "midi/SimulatorStore.h"
#include "patch/DLibraryWindow.h"

#include <QAction>

using namespace amplix;

bool DFrame::hasSimulator() const {
    return builtInSimulator(midi_) != nullptr;
}

bool DFrame::onSimulator() const {
    return PODMidiSet && midi_.outputName(PODMidiOutPort) == std::string(text::kSimulatorName);
}

void DFrame::setSimulatorStore(SimulatorStore* store) {
    simulatorStore_ = store;
    simulatorNotice_ = store ? store->notice() : QString();
    if (store)
        connect(store, &SimulatorStore::writeFailed, this, &DFrame::showOutcome);
}

void DFrame::CmResetSimulator() {
    SimulatorMidiService* simulator = builtInSimulator(midi_);
    if (!simulator || !askQuestion(this, qtText(text::kResetSimulatorQuestion), false))
        return;
    const QString outcome = qtText(text::kStatusSimulatorReset);
    // The simulator says it is at 1A, as a device does: the editor follows and reads it.
    if (onSimulator())
        readOutcome_ = outcome;
    simulator->operateDevice(resetSimulator);
    if (simulatorStore_)
        simulatorStore_->flush();
    if (LibraryWindow && onSimulator())
        LibraryWindow->deviceRead(factoryPatches());
    showOutcome(outcome);
}
