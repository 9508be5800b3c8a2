// The tone map: every device parameter, how its control sends it, takes it back and stores it.
#pragma once

#include "patch/SysexFormat.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace amplix {

// The window that owns a control.
enum class ToneWindow : std::uint8_t {
    Frame,
    Chorus,
    Rotary,
    Tremolo,
    Swell,
    Compressor,
    Delay,
    Reverb,
    Gate,
    Pedals
};
// The nine effect setup windows: every window but the frame.
inline constexpr std::array<ToneWindow, 9> kEffectWindows = {
    ToneWindow::Chorus,     ToneWindow::Rotary, ToneWindow::Reverb, ToneWindow::Tremolo, ToneWindow::Swell,
    ToneWindow::Compressor, ToneWindow::Delay,  ToneWindow::Gate,   ToneWindow::Pedals};

// How a control's state becomes the value sent.
enum class ControlKind : std::uint8_t {
    ReversedSlider, // 127 - position: the top end sends 127
    DirectSlider,   // the position
    Switch,         // checked 127, unchecked 0
    IndexedList,    // the selected index
    MappedList,     // a fixed value per entry (see ListMap)
    DelayTime,      // milliseconds, sent as a 14-bit value on two controllers
    None,           // received only (tap tempo)
};

enum class ListMap : std::uint8_t { None, Effect, CompressionRatio, TwoEntry };

// What a controller from the device does to its control (v the value, r = 127 - v).
enum class ReceiveRule : std::uint8_t {
    Ignored,     // sent by the editor but never taken back
    Reversed,    // slider <- r
    Direct,      // slider <- v
    Switch,      // box <- v >= 64
    Index,       // list <- index v
    TwoEntry,    // list <- v < 64 ? 0 : 1
    RatioSteps,  // list <- the step of v among 22, 44, 66, 88, 110
    AmpModel,    // shows the amp model and reads the patch
    EffectType,  // reads the patch; the dump shows the effect
    RotaryDepth, // slider <- r only while "Rotary" is selected, else a read after 800 ms
    TapTempo,    // a read after 1000 ms
};

// What happens beside the plain send or receive.
enum class ToneExtra : std::uint8_t {
    None,
    PairedDrive2,    // Drive: with "POD Layer" also sends 20; received, moves Drive2 too
    ChecksReverb,    // reverb level: checks the Reverb box
    ChecksWah,       // wah level: checks the Wah box
    ChecksTremChor,  // rotary depth: checks Trem/Chorus
    FeedbackLabel,   // chorus feedback: "Feedback(-)", "Feedback(0)", "Feedback(+)"
    DelayTimeLabel,  // delay time: "Delay Time:  %d mS"
    FastNotAboveSlow // rotary "Fast" may not go above "Slow"
};

// How the parameter lies in the 71-byte patch record. Each rule's field is the low
// recordFieldBits(rule) bits of the big-endian number in bytes k = recordByte onwards; f below
// is the field's value.
enum class RecordRule : std::uint8_t {
    None,           // not in the record
    Flag,           // low nibble, f not 0 = on
    Index,          // whole byte, f = list index
    NibbleIndex,    // low nibble, f = list index
    NibbleTwoEntry, // low nibble, f not 0 = entry 1
    Half,           // whole byte 0..63, controller value 2f
    Full,           // whole byte 0..127, controller value f
    GateThreshold,  // whole byte, controller value 127 - trunc(1.323 f)
    DelayTime,      // 20 bits over bytes k..k+2, f = 6 x the 14-bit controller value
    ChorusSpeed,    // 16 bits over bytes k, k+1, value f div 50
    ChorusDepth,    // 12 bits (low nibble of k, then k+1), value f * 104 div 256
    ChorusPreDelay, // 12 bits, value f * 42 div 256
    RotaryRate,     // 12 bits, value (f - 100) div 22
    TremoloSpeed,   // 12 bits, value f div 25
    EffectCode,     // low nibble = effect code
    RatioIndex,     // low nibble = compression ratio list index
};

constexpr int recordFieldBits(RecordRule rule) {
    switch (rule) {
    case RecordRule::None:
        return 0;
    case RecordRule::Flag:
    case RecordRule::NibbleIndex:
    case RecordRule::NibbleTwoEntry:
    case RecordRule::EffectCode:
    case RecordRule::RatioIndex:
        return 4;
    case RecordRule::Index:
    case RecordRule::Half:
    case RecordRule::Full:
    case RecordRule::GateThreshold:
        return 8;
    case RecordRule::ChorusDepth:
    case RecordRule::ChorusPreDelay:
    case RecordRule::RotaryRate:
    case RecordRule::TremoloSpeed:
        return 12;
    case RecordRule::ChorusSpeed:
        return 16;
    case RecordRule::DelayTime:
        return 20;
    }
    return 0;
}

// Bytes 48 to 54 mean different things for different effects; a row with a layout other than
// Any is stored there only while the patch's effect uses that layout.
enum class EffectLayout : std::uint8_t { Any, None, Chorus, Rotary, Tremolo, Compressor, Swell };

struct ToneParameter {
    std::uint8_t controller;
    std::string_view member; // the panel names the control (tone/PanelLayout.h controlLabel)
    ToneWindow window;
    ControlKind kind;
    ListMap list;
    ReceiveRule receive;
    bool focusOnReceive;
    ToneExtra extra;
    int initial; // slider position or check state at set-up; -1: a list without selection
    std::int8_t recordByte;
    RecordRule record;
    EffectLayout layout;
    std::uint8_t secondController; // delay time: the low 7 bits
};

inline constexpr int kSliderMax = 127;
inline constexpr int kDelayTimeMaxMs = 3150;
// The tap-tempo row has no member to find it by.
inline constexpr std::uint8_t kTapTempoController = 64;
inline constexpr int kTapTempoDelayMs = 1000;
inline constexpr int kRotaryDepthReadDelayMs = 800;

// Every parameter, in controller order.
std::span<const ToneParameter> toneMap();
const ToneParameter* findParameter(std::string_view member);
// The row a received controller belongs to (62 finds the delay time).
const ToneParameter* findController(std::uint8_t controller);

// The controller messages for a control in the given state (slider position, check state 0/1,
// or list index). An index outside a mapped list sends nothing.
std::vector<std::pair<std::uint8_t, std::uint8_t>> controllerMessages(const ToneParameter& p, int state);

// A control's state as the user reads it, in the device's terms: a slider's value as sent
// ("127" for a reversed slider at the top), the delay time in milliseconds ("1250 ms"), a switch
// "On" or "Off", a list's entry ("(none)" without a selection). labelledValueText puts the
// control's label first: "Bass: 127".
std::string valueText(const ToneParameter& p, int state);
std::string labelledValueText(const ToneParameter& p, int state);

// The slider position that stands for a controller value, and back.
int positionForValue(const ToneParameter& p, int value);
// The state a control takes to stand for a controller value (a list: for its index): a slider's
// position, a switch's 0 or 1, a list's index.
int controlStateForValue(const ToneParameter& p, int value);
// The state a control takes when the device sends its controller with value v; nothing where
// the controller does more than move its control (amp model, effect, rotary depth, tap tempo) or
// is not taken back at all.
std::optional<int> receivedControlState(const ToneParameter& p, int v);

// Delay time: milliseconds to the 14-bit device value (0 for 0 ms, else the largest integer
// strictly below ms x 5.201), and a record's 20-bit value back to milliseconds.
int delayTimeDeviceValue(int ms);
int delayTimeMsFromRecord(std::uint32_t recordValue);

// The list index a received value selects.
int ratioIndexForValue(int value);
inline int twoEntryIndexForValue(int value) {
    return value < 64 ? 0 : 1;
}

// The raw value of p's record field, and a value written into that field alone: a value wider
// than the field keeps its low bits, every other bit of the record stays as it was. A member
// the map does not know, or one not in the record, reads 0 and stores nothing.
int recordField(const ToneParameter& p, const PatchRecord& record);
int recordField(std::string_view member, const PatchRecord& record);
void storeRecordField(const ToneParameter& p, std::int64_t value, PatchRecord& record);
void storeRecordField(std::string_view member, std::int64_t value, PatchRecord& record);
// The same store into a dump's nibble pairs from dataOffset; only p's pairs are rewritten.
void storeDumpField(const ToneParameter& p, std::int64_t value, std::span<std::uint8_t> message,
                    std::size_t dataOffset);

// The controller value a record holds for p (the list index for lists, milliseconds for the
// delay time), and the record bytes a controller value from the device is stored as.
int recordValue(const ToneParameter& p, const PatchRecord& record);
void storeControllerValue(const ToneParameter& p, std::uint8_t controller, int value, PatchRecord& record);
// A controller as the device takes it into the record it plays: the value stored as above, and an
// effect choice switching the delay and the trem/chorus as that effect has them. Controllers the
// record does not hold change nothing.
void applyController(PatchRecord& record, std::uint8_t controller, std::uint8_t value);

// Effects: list index, effect code, and what the panel shows for each.
struct EffectRow {
    int index;
    std::uint8_t code;
    bool delay;
    bool tremChor;     // checked and enabled; otherwise unchecked and disabled
    ToneWindow window; // Frame: no modulation-slot window
};
inline constexpr std::uint8_t kRotaryEffectCode = 2;
std::span<const EffectRow> effectTable();
const EffectRow* effectForIndex(int index);
const EffectRow* effectForCode(int code);
// The device's code of the effect the effect list names so; 0 for a name not in the list.
int effectCodeNamed(std::string_view name);
EffectLayout layoutForEffectCode(int code);

// The chorus feedback label for a slider position: 64 is no feedback, below it negative.
std::string chorusFeedbackLabel(int position);
// "Delay Time:  %d mS".
std::string delayTimeLabel(int ms);

inline constexpr std::array<int, 6> kCompressionRatioValues = {0, 30, 50, 80, 100, 127};

} // namespace amplix
