// Creates the MIDI service the editor uses on this system.
#pragma once

#include "midi/MidiService.h"

#include <memory>

std::unique_ptr<amplix::MidiService> createSystemMidiService();

namespace amplix {
class SimulatorMidiService;
}
// The built-in simulator inside midi, when it is there: the service itself or the last of a pair.
amplix::SimulatorMidiService* builtInSimulator(amplix::MidiService& midi);
