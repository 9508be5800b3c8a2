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

// The built-in simulator's patches are at hand without a read: their names show from the start.
void DFrame::learnSimulatorPatches() {
    SimulatorMidiService* simulator = builtInSimulator(midi_);
    if (!simulator || !onSimulator())
        return;
    std::vector<std::uint8_t> bank;
    simulator->withDevice([&bank](PodDevice& pod) { bank = pod.bankDump(); });
    deviceBankKnown(bankRecords(bank), std::nullopt);
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
    // The names in the Patch menu and the Library's table are the factory's again.
    if (onSimulator())
        deviceBankKnown(factoryPatches(), PatchLibrary::DeviceChange::Read);
    showOutcome(outcome);
}
