// The Patch menu: choosing a stored patch (or Manual Mode) on the device.
#include "app/DFrame.h"

namespace {
constexpr int kFirstPatchCommand = 108; // "&Manual Mode" is program 0
}

void DFrame::CmPatchChange(int id) {
    SendShortMessage(std::uint8_t(amplix::kProgramChange | PODMidiChannel), std::uint8_t(id - kFirstPatchCommand));
}
