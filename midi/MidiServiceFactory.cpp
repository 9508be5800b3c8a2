// Creates the MIDI service the editor uses on this system.
#include "midi/MidiServiceFactory.h"

#include "midi/CombinedMidiService.h"
#include "midi/RtMidiService.h"
#include "midi/SimulatorMidiService.h"

// The system's devices first, the built-in simulator always last in both lists, so the editor
// works fully without hardware and without any MIDI system at all.
std::unique_ptr<amplix::MidiService> createSystemMidiService() {
    return std::make_unique<amplix::CombinedMidiService>(std::make_unique<amplix::RtMidiService>(),
                                                         std::make_unique<amplix::SimulatorMidiService>());
}

amplix::SimulatorMidiService* builtInSimulator(amplix::MidiService& midi) {
    if (auto* combined = dynamic_cast<amplix::CombinedMidiService*>(&midi))
        return combined->last() ? builtInSimulator(*combined->last()) : nullptr;
    return dynamic_cast<amplix::SimulatorMidiService*>(&midi);
}
