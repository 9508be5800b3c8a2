// In-process figures of the editor: core decode, the panel update per dump, slider-to-MIDI latency.
#include "app/DFrame.h"
#include "device/FactoryPatches.h"
#include "midi/TestMidiService.h"
#include "patch/PatchDecode.h"
#include "patch/SysexFormat.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <vector>

using namespace amplix;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint8_t kDriveController = 13;

// The test backend, with the moment the frame hands it a short message written down. Nothing
// is logged, so a long run does not grow a list.
class StampingMidi : public TestMidiService {
public:
    MidiResult sendShort(MidiHandle, std::uint32_t message) override {
        if (!stamped) {
            stamped = true;
            stampedAt = Clock::now();
            lastMessage = message;
        }
        ++shortsSent;
        return MidiResult::Ok;
    }
    void arm() { stamped = false; }

    bool stamped = true;
    Clock::time_point stampedAt{};
    std::uint32_t lastMessage = 0;
    std::uint64_t shortsSent = 0;
};

// One shown frame for every benchmark, started connected in a scratch folder as the editor
// starts in its own, its start-up request answered by a reply that is no dump.
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

    QTemporaryDir dir;
    QString previous;
    StampingMidi midi;
    std::unique_ptr<DFrame> frame;
};

// Made on first use, ended before the application object.
std::unique_ptr<Editor> theEditor;
Editor& editor() {
    if (!theEditor)
        theEditor = std::make_unique<Editor>();
    return *theEditor;
}

// The 36 factory patches as single-patch dumps: every amp model and effect turns up.
const std::vector<std::array<std::uint8_t, kSingleDumpSize>>& dumps() {
    static const auto all = [] {
        std::vector<std::array<std::uint8_t, kSingleDumpSize>> out;
        for (const PatchRecord& record : factoryPatches())
            out.push_back(buildSingleDump(record, 0x01));
        return out;
    }();
    return all;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t at = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[at];
}

void reportPercentiles(benchmark::State& state, const std::vector<double>& microseconds) {
    state.counters["median_us"] = percentile(microseconds, 0.50);
    state.counters["p99_us"] = percentile(microseconds, 0.99);
    state.counters["max_us"] = percentile(microseconds, 1.0);
}

void BM_DecodeSingleDump(benchmark::State& state) {
    const auto& all = dumps();
    std::size_t n = 0;
    for (auto _ : state) {
        DecodedPatch patch = decodeSingleDump(all[n++ % all.size()]);
        benchmark::DoNotOptimize(patch.controls.data());
    }
}

// UpdateAmplixFromSysex on the shown frame, a different patch each time. With repaint, also the
// synchronous repaint that follows it when a dump arrives from the device.
void panelUpdate(benchmark::State& state, bool repaint) {
    Editor& e = editor();
    DFrame& f = *e.frame;
    const auto& all = dumps();
    std::vector<double> samples;
    std::size_t n = 0;
    const std::uint64_t sentBefore = e.midi.shortsSent;
    for (auto _ : state) {
        const auto& dump = all[n++ % all.size()];
        std::copy(dump.begin(), dump.end(), f.sysEx.begin());
        const auto start = Clock::now();
        f.UpdateAmplixFromSysex();
        if (repaint)
            f.repaint();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e6);
        // What the update posted (layout, deferred paints) is handled between samples.
        QCoreApplication::processEvents();
    }
    if (e.midi.shortsSent != sentBefore)
        state.SkipWithError("the panel update sent MIDI");
    reportPercentiles(state, samples);
}
void BM_UpdateAmplixFromSysex(benchmark::State& state) {
    panelUpdate(state, false);
}
void BM_UpdateAmplixFromSysexAndRepaint(benchmark::State& state) {
    panelUpdate(state, true);
}

// From the user's change of the Drive slider to the control change handed to the backend:
// by QAbstractSlider::triggerAction (what a drag or a wheel step does) or by a key press.
void sliderLatency(benchmark::State& state, bool keyPress) {
    Editor& e = editor();
    DFrame& f = *e.frame;
    QSlider* drive = f.Drive;
    drive->setFocus();
    drive->setValue(63);
    std::vector<double> samples;
    bool up = false;
    for (auto _ : state) {
        up = !up;
        e.midi.arm();
        const auto start = Clock::now();
        if (keyPress)
            QTest::keyClick(drive, up ? Qt::Key_Up : Qt::Key_Down);
        else
            drive->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                                    : QAbstractSlider::SliderSingleStepAdd);
        if (!e.midi.stamped || shortData1(e.midi.lastMessage) != kDriveController) {
            state.SkipWithError("the slider change did not send Drive's control change");
            break;
        }
        const double seconds = std::chrono::duration<double>(e.midi.stampedAt - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e6);
        QCoreApplication::processEvents();
    }
    reportPercentiles(state, samples);
}
void BM_SliderToMidi_TriggerAction(benchmark::State& state) {
    sliderLatency(state, false);
}
void BM_SliderToMidi_KeyPress(benchmark::State& state) {
    sliderLatency(state, true);
}

// From Ctrl+Z to the control change that takes the last slider step back, handed to the backend.
void BM_UndoToMidi_KeyPress(benchmark::State& state) {
    Editor& e = editor();
    DFrame& f = *e.frame;
    if (!f.deviceShadow()) {
        // Steps are kept once the editor knows what the device plays.
        f.CmFileRead();
        const auto& dump = dumps()[0];
        e.midi.deliver(std::vector<std::uint8_t>(dump.begin(), dump.end()));
        QCoreApplication::processEvents();
    }
    f.activateWindow();
    (void)QTest::qWaitForWindowActive(&f);
    QSlider* drive = f.Drive;
    drive->setValue(63);
    std::vector<double> samples;
    bool up = false;
    for (auto _ : state) {
        up = !up;
        drive->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                                : QAbstractSlider::SliderSingleStepAdd);
        QCoreApplication::processEvents(); // the user's action ends
        e.midi.arm();
        const auto start = Clock::now();
        QTest::keySequence(&f, QKeySequence(Qt::CTRL | Qt::Key_Z));
        if (!e.midi.stamped || shortData1(e.midi.lastMessage) != kDriveController) {
            state.SkipWithError("Ctrl+Z did not send Drive's control change");
            break;
        }
        const double seconds = std::chrono::duration<double>(e.midi.stampedAt - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e6);
        QCoreApplication::processEvents();
    }
    reportPercentiles(state, samples);
}

} // namespace

BENCHMARK(BM_DecodeSingleDump)->Name("Decode/SingleDump");
BENCHMARK(BM_UpdateAmplixFromSysex)
    ->Name("Panel/UpdateAmplixFromSysex")
    ->UseManualTime()
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateAmplixFromSysexAndRepaint)
    ->Name("Panel/UpdateAmplixFromSysexAndRepaint")
    ->UseManualTime()
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SliderToMidi_TriggerAction)
    ->Name("Latency/SliderToMidi_TriggerAction")
    ->UseManualTime()
    ->Iterations(20000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SliderToMidi_KeyPress)
    ->Name("Latency/SliderToMidi_KeyPress")
    ->UseManualTime()
    ->Iterations(20000)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_UndoToMidi_KeyPress)
    ->Name("Latency/UndoToMidi_KeyPress")
    ->UseManualTime()
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond);

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
