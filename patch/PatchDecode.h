// What a patch record shows on the panel: every control's value, in the order they are set.
#pragma once

#include "patch/SysexFormat.h"
#include "tone/ToneMap.h"

#include <string>
#include <vector>

namespace amplix {

struct DecodedControl {
    const ToneParameter* parameter;
    int value; // the controller value the control then stands for; lists: the index
};

struct DecodedPatch {
    std::string name; // up to the first 00, at most 16 Latin-1 characters
    int effectCode = 0;
    // Switches first (record bytes 0 to 7), then on in record byte order; of the effect
    // parameters (bytes 48 to 54) only those of the patch's effect. The effect list itself is
    // not among them: it is shown through the effect code before everything else.
    std::vector<DecodedControl> controls;
};

DecodedPatch decodePatch(const PatchRecord& record);

// The same for the single-patch dump at the start of message.
DecodedPatch decodeSingleDump(std::span<const std::uint8_t> message);

} // namespace amplix
