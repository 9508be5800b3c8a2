// Fuzz target: the device model taking any sequence of messages, whole or not, and what it answers.
#include "device/PodDevice.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>

using namespace amplix;

namespace {

// Input: a settings byte, byte 7, then records: a two-byte length and that many message bytes.
// A length with its top bit set is the user at the device instead: controller and value follow.
constexpr std::size_t kSettingsBytes = 2;
constexpr std::uint8_t kChannelMask = 0x0F;
constexpr std::uint8_t kNoEcho = 0x10;
constexpr std::uint16_t kUserAction = 0x8000;
constexpr std::uint16_t kLengthMask = 0x1FFF; // up to 8191: room for a bank dump and more

bool nibblesOnly(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b <= 0x0F; });
}

// A single-patch dump the device must take into its edit buffer.
bool isAcceptableSingleDump(std::span<const std::uint8_t> message) {
    return message.size() == kSingleDumpSize && classifyDump(message) == DumpKind::SinglePatch &&
           message[kDumpByte7] < 0x80 && message.back() == kSysexEnd &&
           nibblesOnly(message.subspan(kDumpDataOffset, kRecordNibbles));
}

void checkAnswer(const PodDevice& device, std::span<const std::uint8_t> message,
                 const PodDevice::Message& answer) {
    if (answer.size() == 2) { // a program change echoed
        FUZZ_CHECK(device.echoesProgramChange() && message.size() >= 2);
        FUZZ_CHECK(answer[0] == (kProgramChange | device.channel()) && answer[1] == message[1]);
        FUZZ_CHECK(answer[1] == device.currentProgram());
        return;
    }
    FUZZ_CHECK(fuzz::isSendableSingleDump(answer) || fuzz::isSendableBankDump(answer));
    FUZZ_CHECK(answer[kDumpByte7] == device.byte7());
    if (answer.size() == kSingleDumpSize)
        FUZZ_CHECK(answer == device.editBufferDump());
    else
        FUZZ_CHECK(answer == device.bankDump());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kSettingsBytes)
        return 0;
    PodDevice device;
    const int channel = data[0] & kChannelMask;
    FUZZ_CHECK(device.setChannel(channel) && !device.setChannel(16) && !device.setChannel(-1));
    device.setEchoProgramChange((data[0] & kNoEcho) == 0);
    FUZZ_CHECK(device.setByte7(data[1]) == (data[1] < 0x80));

    for (std::size_t at = kSettingsBytes; at + 2 <= size;) {
        const std::uint16_t word = std::uint16_t(data[at] << 8 | data[at + 1]);
        at += 2;
        if (word & kUserAction) {
            if (at + 2 > size)
                break;
            const auto sent = device.turnControl(data[at], data[at + 1]);
            FUZZ_CHECK(sent.size() == 3 && sent[0] == (kControlChange | channel) && sent[1] < 0x80 &&
                       sent[2] < 0x80);
            const auto chosen = device.choosePatch(data[at] % (PodDevice::kLastProgram + 2));
            FUZZ_CHECK(chosen.empty() ==
                       (data[at] % (PodDevice::kLastProgram + 2) > PodDevice::kLastProgram));
            at += 2;
            continue;
        }
        const std::size_t length = std::min<std::size_t>(word & kLengthMask, size - at);
        const std::span<const std::uint8_t> message(data + at, length);
        at += length;

        const int programBefore = device.currentProgram();
        const auto answers = device.receive(message);
        FUZZ_CHECK(answers.size() <= 1);
        FUZZ_CHECK(device.channel() == channel);
        FUZZ_CHECK(device.currentProgram() >= PodDevice::kManualMode &&
                   device.currentProgram() <= PodDevice::kLastProgram);
        for (const auto& answer : answers)
            checkAnswer(device, message, answer);
        if (isAcceptableSingleDump(message)) {
            FUZZ_CHECK(device.editBuffer() == readRecord(message, kDumpDataOffset));
            FUZZ_CHECK(device.currentProgram() == programBefore);
        }
    }
    return 0;
}
