// What the MIDI monitor costs per message: the frame's send and input paths with the monitor
// closed and open (lines shown included), and the core's meaning of a message alone.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "midi/DMidiMonitor.h"
#include "midi/MidiMonitor.h"
#include "midi/TestMidiService.h"
#include "patch/SysexFormat.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace amplix;

namespace {

// The frame processes what was posted every so many messages, as a busy event loop would.
constexpr int kBatch = 64;
constexpr std::uint8_t kIgnoredController = 99; // moves no control, so only the MIDI path counts

// Sends go nowhere and are not logged, so a long run does not grow a list.
class QuietMidi : public TestMidiService {
public:
    MidiResult sendShort(MidiHandle, std::uint32_t) override { return MidiResult::Ok; }
};

struct Editor {
    Editor() : previous(QDir::currentPath()) {
        QDir::setCurrent(dir.path());
        QFile config(dir.filePath(QStringLiteral("AMPLIX.CNF")));
        config.open(QIODevice::WriteOnly);
        config.write(QByteArray(4, '\0'));
        config.close();
        frame = std::make_unique<DFrame>(midi);
        frame->SetupWindow();
        frame->show();
        (void)QTest::qWaitForWindowExposed(frame.get());
        midi.deliver({0xF0, 0x43, 0x10, 0x01, 0xF7});
        QCoreApplication::processEvents();
    }
    ~Editor() {
        frame.reset();
        QDir::setCurrent(previous);
    }
    void monitor(bool open) {
        if (open)
            frame->menuAction(CM_MIDIMONITOR)->trigger();
        else if (frame->MonitorWindow)
            frame->MonitorWindow->hide();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    QString previous;
    QuietMidi midi;
    std::unique_ptr<DFrame> frame;
};

std::unique_ptr<Editor> theEditor;
Editor& editor() {
    if (!theEditor)
        theEditor = std::make_unique<Editor>();
    return *theEditor;
}

void sendShort(benchmark::State& state, bool open) {
    Editor& e = editor();
    e.monitor(open);
    int n = 0;
    for (auto _ : state) {
        e.frame->SendShortMessage(0xB0, kIgnoredController, std::uint8_t(n & 0x7F));
        if (++n % kBatch == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    state.SetItemsProcessed(state.iterations());
    e.monitor(false);
}
void BM_SendShort_MonitorClosed(benchmark::State& state) {
    sendShort(state, false);
}
void BM_SendShort_MonitorOpen(benchmark::State& state) {
    sendShort(state, true);
}

// From the backend's delivery to the frame's handling of the posted event.
void input(benchmark::State& state, bool open) {
    Editor& e = editor();
    e.monitor(open);
    int n = 0;
    std::vector<std::uint8_t> message = {0xB0, kIgnoredController, 0};
    for (auto _ : state) {
        message[2] = std::uint8_t(n & 0x7F);
        e.midi.deliver(message);
        if (++n % kBatch == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    state.SetItemsProcessed(state.iterations());
    e.monitor(false);
}
void BM_Input_MonitorClosed(benchmark::State& state) {
    input(state, false);
}
void BM_Input_MonitorOpen(benchmark::State& state) {
    input(state, true);
}

void BM_MonitorLine_Controller(benchmark::State& state) {
    const std::vector<std::uint8_t> cc = {0xB0, 13, 100};
    for (auto _ : state)
        benchmark::DoNotOptimize(monitorLine(0, MidiDirection::Out, cc));
}
void BM_MonitorLine_SinglePatch(benchmark::State& state) {
    const auto dump = buildSingleDump(PatchRecord{});
    for (auto _ : state)
        benchmark::DoNotOptimize(monitorLine(0, MidiDirection::In, dump));
}

} // namespace

BENCHMARK(BM_SendShort_MonitorClosed)->Name("Monitor/SendShort_Closed")->Unit(benchmark::kNanosecond);
BENCHMARK(BM_SendShort_MonitorOpen)->Name("Monitor/SendShort_Open")->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Input_MonitorClosed)->Name("Monitor/Input_Closed")->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Input_MonitorOpen)->Name("Monitor/Input_Open")->Unit(benchmark::kNanosecond);
BENCHMARK(BM_MonitorLine_Controller)->Name("Monitor/Line_Controller");
BENCHMARK(BM_MonitorLine_SinglePatch)->Name("Monitor/Line_SinglePatch");

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theEditor.reset();
    return 0;
}
