// Import throughput: listing and converting generated SoundDiver and Line 6 Edit files, against memmem.
#include "ImportFiles.h"

#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"
#include "import/SoundDiver.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string_view>

using namespace amplix;
using amplixbench::Bytes;

namespace {

constexpr int kEntries = 1000;
constexpr std::size_t kLargeFile = 50u * 1000u * 1000u; // 50 MB

const Bytes& soundDiverLibrary() {
    static const Bytes file = amplixbench::soundDiverLibrary(kEntries);
    return file;
}
const Bytes& line6Collection() {
    static const Bytes file = amplixbench::line6Collection(kEntries);
    return file;
}
const Bytes& soundDiverNoPatch() {
    static const Bytes file = amplixbench::fillerFile(kLargeFile, "SSLBLHDR", "LENT");
    return file;
}
const Bytes& line6NoPatch() {
    static const Bytes file = amplixbench::fillerFile(kLargeFile, "L6CO", "FORM");
    return file;
}

using FileOf = const Bytes& (*)();

void reportFile(benchmark::State& state, const Bytes& file, std::size_t entries) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
    state.counters["file_MB"] = double(file.size()) / 1e6;
    state.counters["entries"] = double(entries);
}

// The baseline: every occurrence of the format's four-character tag in the same bytes.
void scanWithMemmem(benchmark::State& state, FileOf fileOf, std::string_view tag) {
    const Bytes& file = fileOf();
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        const auto* at = file.data();
        const auto* end = file.data() + file.size();
        while (const void* hit = memmem(at, std::size_t(end - at), tag.data(), tag.size())) {
            ++found;
            at = static_cast<const std::uint8_t*>(hit) + tag.size();
        }
        benchmark::DoNotOptimize(found);
    }
    reportFile(state, file, found);
}

void listSoundDiverFile(benchmark::State& state, FileOf fileOf) {
    const Bytes& file = fileOf();
    std::size_t entries = 0;
    for (auto _ : state) {
        auto listed = listSoundDiver(file, false);
        entries = listed.size();
        benchmark::DoNotOptimize(listed.data());
    }
    reportFile(state, file, entries);
}

void listAndConvertSoundDiverFile(benchmark::State& state, FileOf fileOf) {
    const Bytes& file = fileOf();
    std::size_t converted = 0;
    for (auto _ : state) {
        converted = 0;
        for (const ImportEntry& entry : listSoundDiver(file, false)) {
            ImportResult result = convertSoundDiver(file, entry.position);
            converted += result.ok();
            benchmark::DoNotOptimize(result);
        }
    }
    reportFile(state, file, converted);
}

void listLine6File(benchmark::State& state, FileOf fileOf) {
    const Bytes& file = fileOf();
    std::size_t entries = 0;
    for (auto _ : state) {
        auto listing = listLine6EditFile(file, kLine6EditBundleType);
        entries = listing.entries.size();
        benchmark::DoNotOptimize(listing.entries.data());
    }
    reportFile(state, file, entries);
}

void listAndConvertLine6File(benchmark::State& state, FileOf fileOf) {
    const Bytes& file = fileOf();
    std::size_t converted = 0;
    for (auto _ : state) {
        converted = 0;
        for (const ImportEntry& entry : listLine6EditFile(file, kLine6EditBundleType).entries) {
            ImportResult result = convertLine6EditPatch(file, entry);
            converted += result.ok();
            benchmark::DoNotOptimize(result);
        }
    }
    reportFile(state, file, converted);
}

// Converting one entry alone, for the per-patch figure.
void BM_ConvertOne_SoundDiver(benchmark::State& state) {
    const Bytes& file = soundDiverLibrary();
    const auto entries = listSoundDiver(file, false);
    std::size_t n = 0;
    for (auto _ : state) {
        ImportResult result = convertSoundDiver(file, entries[n++ % entries.size()].position);
        benchmark::DoNotOptimize(result);
    }
}
void BM_ConvertOne_Line6Edit(benchmark::State& state) {
    const Bytes& file = line6Collection();
    const auto entries = listLine6EditFile(file, kLine6EditBundleType).entries;
    std::size_t n = 0;
    for (auto _ : state) {
        ImportResult result = convertLine6EditPatch(file, entries[n++ % entries.size()]);
        benchmark::DoNotOptimize(result);
    }
}

} // namespace

BENCHMARK_CAPTURE(listSoundDiverFile, SoundDiver1000, &soundDiverLibrary)->Name("List/SoundDiver1000");
BENCHMARK_CAPTURE(scanWithMemmem, SoundDiver1000, &soundDiverLibrary, "LENT")->Name("Memmem/SoundDiver1000");
BENCHMARK_CAPTURE(listAndConvertSoundDiverFile, SoundDiver1000, &soundDiverLibrary)
    ->Name("ListConvert/SoundDiver1000");

BENCHMARK_CAPTURE(listLine6File, Line6Edit1000, &line6Collection)->Name("List/Line6Edit1000");
BENCHMARK_CAPTURE(scanWithMemmem, Line6Edit1000, &line6Collection, "FORM")->Name("Memmem/Line6Edit1000");
BENCHMARK_CAPTURE(listAndConvertLine6File, Line6Edit1000, &line6Collection)
    ->Name("ListConvert/Line6Edit1000");

BENCHMARK_CAPTURE(listSoundDiverFile, SoundDiverNoPatch50MB, &soundDiverNoPatch)
    ->Name("List/SoundDiverNoPatch50MB")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scanWithMemmem, SoundDiverNoPatch50MB, &soundDiverNoPatch, "LENT")
    ->Name("Memmem/SoundDiverNoPatch50MB")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(listLine6File, Line6EditNoPatch50MB, &line6NoPatch)
    ->Name("List/Line6EditNoPatch50MB")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scanWithMemmem, Line6EditNoPatch50MB, &line6NoPatch, "FORM")
    ->Name("Memmem/Line6EditNoPatch50MB")
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ConvertOne_SoundDiver)->Name("ConvertOne/SoundDiver");
BENCHMARK(BM_ConvertOne_Line6Edit)->Name("ConvertOne/Line6Edit");

BENCHMARK_MAIN();
