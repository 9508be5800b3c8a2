// Creates the MIDI service the editor uses on this system.
#pragma once

#include "midi/MidiService.h"

#include <memory>

std::unique_ptr<amplix::MidiService> createSystemMidiService();
