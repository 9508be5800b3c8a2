// The Library window's two panes filled and painted (in process, offscreen): the device pane from a
// bank just read, the file pane from a 1000-patch Line 6 Edit collection.
#include "ImportFiles.h"
#include "import/PatchSource.h"
#include "patch/FilePatchModel.h"
#include "patch/LibraryTableModel.h"
#include "patch/PatchLibrary.h"
#include "patch/SysexFormat.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <QApplication>
#include <QEvent>
#include <QTableView>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <vector>

using namespace amplix;

namespace {

using Clock = std::chrono::steady_clock;

// What the panes' views ask, so the figures show that every visible cell was painted.
std::uint64_t cellsAsked = 0;
std::uint64_t viewportPaints = 0;

class CountingLibraryModel : public LibraryTableModel {
public:
    using LibraryTableModel::LibraryTableModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole)
            ++cellsAsked;
        return LibraryTableModel::data(index, role);
    }
};

class CountingFileModel : public FilePatchModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole)
            ++cellsAsked;
        return FilePatchModel::data(index, role);
    }
};

class PaintCounter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++viewportPaints;
        return QObject::eventFilter(watched, event);
    }
};

// A pane as the Library window shows it, at about its size.
void showView(QTableView& view, QAbstractItemModel& model, PaintCounter& counter) {
    view.setModel(&model);
    view.resize(700, 600);
    view.viewport()->installEventFilter(&counter);
    view.show();
    (void)QTest::qWaitForWindowExposed(&view);
    QCoreApplication::processEvents();
}

// Every amp model and effect turns up; names differ; every other byte varies with the seed.
PatchLibrary::Records generatedRecords(int seed) {
    PatchLibrary::Records records{};
    const auto effects = effectTable();
    for (std::size_t n = 0; n < records.size(); ++n) {
        PatchRecord& r = records[n];
        for (std::size_t k = 0; k < kRecordParameterBytes; ++k)
            r[k] = std::uint8_t((seed * 31 + n * 7 + k * 13) & 0x7F);
        storeRecordField("AmpModel", std::int64_t((n + std::size_t(seed)) % kAmpModelNames.size()), r);
        storeRecordField("EffectSel", effects[(n + std::size_t(seed)) % effects.size()].code, r);
        const std::string name = "Generated " + std::to_string(seed) + "-" + std::to_string(n);
        std::copy_n(name.begin(), std::min(name.size(), kNameLength), r.begin() + kNameOffset);
    }
    return records;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t at = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[at];
}

// The whole fill's times, and those of its core steps alone (bytes to records) for comparison.
void report(benchmark::State& state, const std::vector<double>& milliseconds, const std::vector<double>& core,
            std::uint64_t cells, std::uint64_t paints) {
    state.counters["median_ms"] = percentile(milliseconds, 0.50);
    state.counters["core_median_ms"] = percentile(core, 0.50);
    state.counters["p99_ms"] = percentile(milliseconds, 0.99);
    state.counters["max_ms"] = percentile(milliseconds, 1.0);
    const double samples = double(std::max<std::size_t>(milliseconds.size(), 1));
    state.counters["cells_per_fill"] = double(cells) / samples;
    state.counters["paints_per_fill"] = double(paints) / samples;
}

// A bank dump as it arrives from the device, its 36 records read out, the library loaded, the
// device pane told and painted. Two banks in turn, so every fill shows something new.
void BM_DevicePaneFromBank(benchmark::State& state) {
    const std::array<std::array<std::uint8_t, kBankDumpSize>, 2> banks = {
        buildBankDump(generatedRecords(1), 0x01), buildBankDump(generatedRecords(2), 0x01)};
    PatchLibrary library;
    CountingLibraryModel model(library);
    QTableView view;
    PaintCounter counter;
    showView(view, model, counter);

    std::vector<double> samples, core;
    std::uint64_t cells = 0, paints = 0;
    std::size_t n = 0;
    for (auto _ : state) {
        const auto& bank = banks[n++ % banks.size()];
        const std::uint64_t cellsBefore = cellsAsked, paintsBefore = viewportPaints;
        const auto start = Clock::now();
        PatchLibrary::Records records{};
        for (std::size_t location = 0; location < kPatchLocations; ++location)
            records[location] = readRecord(bank, bankPatchOffset(location));
        library.load(records);
        const auto loaded = Clock::now();
        model.refresh();
        view.viewport()->repaint();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e3);
        core.push_back(std::chrono::duration<double>(loaded - start).count() * 1e3);
        cells += cellsAsked - cellsBefore;
        paints += viewportPaints - paintsBefore;
        // The paint the view scheduled for itself is not counted in the fill.
        QCoreApplication::processEvents();
    }
    if (paints == 0 || cells == 0)
        state.SkipWithError("the device pane was not painted");
    report(state, samples, core, cells, paints);
}

// A collection file's bytes opened, every patch listed and converted, the file pane given the
// list and painted. The pane starts empty each time, as when another file is opened.
void BM_FilePaneFromCollection(benchmark::State& state) {
    const std::vector<std::uint8_t> file = amplixbench::line6Collection(1000);
    CountingFileModel model;
    QTableView view;
    PaintCounter counter;
    showView(view, model, counter);

    std::vector<double> samples, core;
    std::uint64_t cells = 0, paints = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        model.setPatches({});
        QCoreApplication::processEvents();
        const std::uint64_t cellsBefore = cellsAsked, paintsBefore = viewportPaints;
        const auto start = Clock::now();
        const PatchSource source = openAnyPatchFile(file, "bench.l6c");
        std::vector<ListedPatch> patches = listPatches(source);
        const auto loaded = Clock::now();
        listed = patches.size();
        model.setPatches(std::move(patches));
        view.viewport()->repaint();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e3);
        core.push_back(std::chrono::duration<double>(loaded - start).count() * 1e3);
        cells += cellsAsked - cellsBefore;
        paints += viewportPaints - paintsBefore;
        QCoreApplication::processEvents();
    }
    if (listed != 1000)
        state.SkipWithError("the collection did not list 1000 patches");
    else if (paints == 0 || cells == 0)
        state.SkipWithError("the file pane was not painted");
    state.counters["file_MB"] = double(file.size()) / 1e6;
    state.counters["entries"] = double(listed);
    report(state, samples, core, cells, paints);
}

} // namespace

BENCHMARK(BM_DevicePaneFromBank)
    ->Name("Library/DevicePaneFromBank")
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilePaneFromCollection)
    ->Name("Library/FilePaneFromCollection1000")
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
