// Fuzz target: MIDI from the device's port into the running editor window. Dump requests are armed,
// answered, broken off and timed out while short messages, stray bytes and SysEx of any length
// arrive, sliced as a backend thread would hand them over.
//
// After every input the editor must be idle again once its request times out, and a plain
// edit-buffer request must then bring a factory patch onto the panel.
#include "app/DFrame.h"
#include "device/FactoryPatches.h"
#include "fuzz/FuzzCheck.h"
#include "midi/MidiConfig.h"
#include "midi/TestMidiService.h"
#include "patch/DPatchName.h"
#include "patch/SysexFormat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace amplix;

namespace {

// Each step starts with one byte: its low bits say what happens, the rest how much.
enum Step : std::uint8_t {
    kDeliver = 0,    // the next (byte >> 2) + 1 bytes arrive in one slice
    kReadEditBuffer, // File > Read POD settings, or an unlinked amp change when bit 7 is set
    kReadBank,       // the bank read that Load ALL starts
    kTimeOut,        // the pending request's time-out: the port hands back what it has,
                     // and the editor's own timers that are due run
};
constexpr std::uint8_t kStepMask = 0x03;
constexpr std::uint8_t kUnlinkedAmpChange = 0x80;
constexpr int kAmpModels = 16;
constexpr int kMoreTimeOuts = 3;

struct Editor {
    QTemporaryDir dir;
    TestMidiService midi;
    std::unique_ptr<DFrame> frame;
};
Editor* editor = nullptr;

// The MIDI the port has posted reaches the frame. Timers do not run here; they run where an event
// loop does: a time-out step, and while the editor sends a SysEx (the window keeps repainting
// then, and the frame keeps what arrives for after the send).
void deliverPosted() {
    QCoreApplication::sendPostedEvents();
}

void timeOut() {
    const MidiHandle input = editor->midi.openInputHandle();
    editor->midi.resetInput(input);
    editor->midi.startInput(input);
    deliverPosted();
}

bool idle(const DFrame& f) {
    return f.Waiting_for_sysex == 0 && f.Save_flag == 0 && f.Name_flag == 0 && f.SaveToPod_flag == 0 &&
           f.Save_All_flag == 0 && f.AmpModel_flag == -1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt gets arguments of its own, so it never takes one of libFuzzer's for a Qt option.
    static int argc = 1;
    static char name[] = "fuzz_frame_input";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Both live until the process ends: destroyed at exit, the application would go before the
    // windows it still owns.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;

    editor = new Editor;
    FUZZ_CHECK(editor->dir.isValid());
    // The editor starts in a folder of its own; libFuzzer's folders are named relative to ours.
    const QString started = QDir::currentPath();
    QDir::setCurrent(editor->dir.path());
    // The configuration naming the test double's first ports, so the editor starts connected without a
    // dialog.
    const auto bytes = encodeMidiConfig({});
    QFile config(QString::fromLatin1(kConfigFileName));
    FUZZ_CHECK(config.open(QIODevice::WriteOnly) &&
               config.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
                   qint64(bytes.size()));
    config.close();
    editor->frame = std::make_unique<DFrame>(editor->midi);
    editor->frame->SetupWindow();
    QDir::setCurrent(started);
    editor->frame->show();
    QCoreApplication::processEvents();
    FUZZ_CHECK(editor->frame->HPODMidiIn != kNoHandle && editor->frame->HPODMidiOut != kNoHandle);
    timeOut(); // the start-up request, unanswered

    editor->midi.clearLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DFrame& frame = *editor->frame;
    TestMidiService& midi = editor->midi;
    frame.AmpModel_linked = 1;

    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t step = data[at++];
        switch (Step(step & kStepMask)) {
        case kDeliver: {
            const std::size_t length = std::min<std::size_t>((step >> 2) + 1, size - at);
            midi.deliver(std::vector<std::uint8_t>(data + at, data + at + length));
            at += length;
            break;
        }
        case kReadEditBuffer:
            if (step & kUnlinkedAmpChange) {
                // What choosing an amp model does while the amp is not linked to its defaults:
                // read the device's patch, change its amp byte, send it back.
                frame.AmpModel_linked = 0;
                frame.AmpModel_flag = (step >> 2) % kAmpModels;
            }
            frame.CmFileRead();
            break;
        case kReadBank:
            frame.ReadPODAll();
            break;
        case kTimeOut:
            timeOut();
            QCoreApplication::processEvents();
            break;
        }
        deliverPosted();
    }

    // Whatever came, a time-out leaves the editor idle: no request pending, no flag left set. A
    // tap-tempo timer of an earlier input that fired during a send reads the device once more
    // afterwards; that read is one more request and times out the same way.
    timeOut();
    for (int n = 0; n < kMoreTimeOuts && !idle(frame); ++n)
        timeOut();
    FUZZ_CHECK(idle(frame));

    // And the next plain read still works: the request goes out and the answer fills the panel.
    const std::size_t sentBefore = midi.sentSysex().size();
    frame.AmpModel_linked = 1;
    frame.CmFileRead();
    const auto sent = midi.sentSysex();
    FUZZ_CHECK(sent.size() == sentBefore + 1 && sent.back().size() == kEditBufferRequest.size() &&
               std::equal(kEditBufferRequest.begin(), kEditBufferRequest.end(), sent.back().begin()));
    const PatchRecord& patch = factoryPatches()[size % kPatchLocations];
    const auto dump = buildSingleDump(patch);
    midi.deliver(std::vector<std::uint8_t>(dump.begin(), dump.end()));
    deliverPosted();
    FUZZ_CHECK(idle(frame));
    FUZZ_CHECK(frame.PatchWindow->StaticPatchNameData->text().toStdString() == dumpName(dump));
    midi.clearLog();
    return 0;
}
