// Hostile MIDI input: a million random, broken and oversized messages fed to the running frame.
#include "app/DFrame.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMap>
#include <QTest>

#include <cstdio>
#include <map>
#include <random>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t kSeed = 0x504F4432;
constexpr int kMessages = 1'000'000;
// Small batches, so that requests get armed, answered and broken off all through the stream.
constexpr std::uint32_t kLargestBatch = 400;
// On average every this many batches the user asks for something that sets a flag.
constexpr std::uint32_t kUserActionEvery = 25;
constexpr int kDrainStepMs = 1100; // longer than the edit-buffer time-out and the tap-tempo read
constexpr int kDrainSteps = 12;    // enough for a bank time-out and the reads started meanwhile
constexpr std::uint8_t kPodChannel = 0;
constexpr std::uint8_t kFirstRealTime = 0xF8;
constexpr std::size_t kOversizedExtra = 2800;

enum class Kind {
    Short,
    Running,
    PodControl,
    Program,
    Truncated,
    Stray,
    System,
    Sysex,
    SysexUnterminated,
    SysexRealTime,
    SingleDump,
    BankDump,
    Oversized,
    Count
};
constexpr const char* kKindNames[] = {
    "short", "running status", "POD controller", "program change", "truncated", "stray data", "system",
    "SysEx", "SysEx no F7",    "SysEx+realtime", "single dump",    "bank dump", "over 5200"};
// Weights per thousand, in Kind order.
constexpr std::uint32_t kWeights[] = {260, 40, 150, 60, 90, 70, 60, 60, 50, 40, 110, 5, 5};

// A deterministic source of the messages a broken cable, a confused device or another program
// on the same port might produce.
class HostileStream {
public:
    explicit HostileStream(std::uint32_t seed) : rng_(seed) {}

    std::uint32_t below(std::uint32_t n) { return rng_() % n; }
    bool chance(std::uint32_t inN) { return below(inN) == 0; }
    std::uint8_t data() { return std::uint8_t(below(0x80)); }

    Kind append(Bytes& out) {
        std::uint32_t pick = below(1000);
        int kind = 0;
        while (pick >= kWeights[kind])
            pick -= kWeights[kind++];
        switch (Kind(kind)) {
        case Kind::Short: {
            const std::uint8_t status = std::uint8_t(0x80 + below(0x70));
            out.push_back(status);
            for (int n = dataBytes(status); n > 0; --n)
                out.push_back(data());
            break;
        }
        case Kind::Running:
            out.push_back(data());
            out.push_back(data());
            break;
        case Kind::PodControl:
            out.insert(out.end(), {std::uint8_t(kControlChange | kPodChannel), data(), data()});
            break;
        case Kind::Program: // in and out of the 0..36 range, on the POD's channel or another
            out.insert(out.end(),
                       {std::uint8_t(kProgramChange | (chance(2) ? kPodChannel : below(16))), data()});
            break;
        case Kind::Truncated: {
            const std::uint8_t status = std::uint8_t(0x80 + below(0x70));
            out.push_back(status);
            if (dataBytes(status) == 2 && chance(2))
                out.push_back(data());
            break;
        }
        case Kind::Stray:
            for (std::uint32_t n = 1 + below(4); n > 0; --n)
                out.push_back(data());
            break;
        case Kind::System: {
            const std::uint8_t status = std::uint8_t(0xF1 + below(15)); // F1..FF, with a lone F7
            out.push_back(status);
            for (int n = dataBytes(status); n > 0; --n)
                out.push_back(data());
            break;
        }
        case Kind::Sysex:
        case Kind::SysexUnterminated:
        case Kind::SysexRealTime: {
            Bytes body{kSysexStart};
            for (std::uint32_t n = below(200); n > 0; --n)
                body.push_back(data());
            if (Kind(kind) != Kind::SysexUnterminated)
                body.push_back(kSysexEnd);
            if (Kind(kind) == Kind::SysexRealTime)
                sprinkleRealTime(body);
            out.insert(out.end(), body.begin(), body.end());
            break;
        }
        case Kind::SingleDump:
            appendSpoiled(out, singleDump());
            break;
        case Kind::BankDump:
            appendSpoiled(out, bankDump());
            break;
        case Kind::Oversized: {
            Bytes body = chance(2) ? bankDump() : singleDump();
            body.pop_back();
            while (body.size() <= kSysexBufferSize + below(kOversizedExtra))
                body.push_back(data());
            if (chance(2))
                body.push_back(kSysexEnd);
            out.insert(out.end(), body.begin(), body.end());
            break;
        }
        case Kind::Count:
            break;
        }
        return Kind(kind);
    }

private:
    static int dataBytes(std::uint8_t status) {
        switch (status & 0xF0) {
        case 0xC0:
        case 0xD0:
            return 1;
        case 0xF0:
            return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
        default:
            return 2;
        }
    }

    PatchRecord record() {
        PatchRecord r{};
        for (auto& b : r)
            b = std::uint8_t(below(256));
        return r;
    }
    Bytes singleDump() {
        const auto dump = buildSingleDump(record(), data());
        return {dump.begin(), dump.end()};
    }
    Bytes bankDump() {
        std::array<PatchRecord, kPatchLocations> patches{};
        for (auto& p : patches)
            p = record();
        const auto dump = buildBankDump(patches, data());
        return {dump.begin(), dump.end()};
    }

    void sprinkleRealTime(Bytes& message) {
        for (std::uint32_t n = 1 + below(4); n > 0; --n)
            message.insert(message.begin() + 1 + below(std::uint32_t(message.size())),
                           std::uint8_t(kFirstRealTime + below(8)));
    }

    // A dump as the device sends it, or with a wrong header, nibbles out of range, cut short,
    // without its F7, or with real-time bytes inside.
    void appendSpoiled(Bytes& out, Bytes dump) {
        switch (below(6)) {
        case 0:
            dump[1 + below(kHeaderSize - 1)] ^= std::uint8_t(1 + below(0x7F));
            break;
        case 1:
            for (std::size_t at = kDumpDataOffset; at + 1 < dump.size(); at += 1 + below(40))
                dump[at] = data();
            break;
        case 2:
            dump.resize(kHeaderSize + below(std::uint32_t(dump.size() - kHeaderSize)));
            if (chance(2))
                dump.push_back(kSysexEnd);
            break;
        case 3:
            dump.pop_back();
            break;
        case 4:
            sprinkleRealTime(dump);
            break;
        default:
            break;
        }
        out.insert(out.end(), dump.begin(), dump.end());
    }

    std::mt19937 rng_;
};

// What the user might do meanwhile: every request that sets a flag, and a plain read.
void userAsks(DFrame& f, HostileStream& random) {
    switch (random.below(6)) {
    case 0:
        f.CmFileSave_();
        break;
    case 1:
        f.CmFileSave_All();
        break;
    case 2:
        f.WmChangePName();
        break;
    case 3:
        f.WmSaveToPod();
        break;
    case 4: // an amp model chosen while unlinked
        if (f.AmpModel_linked)
            f.CmLinkAmp();
        f.AmpModel->setCurrentIndex(int(random.below(32)));
        emit f.AmpModel->activated(f.AmpModel->currentIndex());
        break;
    default:
        f.CmFileRead();
        break;
    }
}

// Every piece of request state that must be back at rest, named for the failure message.
QString leftovers(const DFrame& f) {
    QStringList set;
    const std::pair<const char*, int> flags[] = {
        {"Waiting_for_sysex", f.Waiting_for_sysex}, {"Save_flag", f.Save_flag},
        {"Save_All_flag", f.Save_All_flag},         {"Name_flag", f.Name_flag},
        {"SaveToPod_flag", f.SaveToPod_flag},       {"AmpModel_flag + 1", f.AmpModel_flag + 1}};
    for (auto [name, value] : flags)
        if (value != 0)
            set << QStringLiteral("%1 = %2").arg(QLatin1String(name)).arg(value);
    if (f.midiHdr)
        set << QStringLiteral("midiHdr armed");
    return set.join(QStringLiteral(", "));
}

Bytes namedDump(const char* name) {
    PatchRecord record{};
    record[8] = 3;
    for (std::size_t k = 0; k < kNameLength && name[k]; ++k)
        record[kNameOffset + k] = std::uint8_t(name[k]);
    const auto dump = buildSingleDump(record, 0x11);
    return {dump.begin(), dump.end()};
}

Bytes filler(std::size_t count) {
    return Bytes(count, 0x2A);
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

Q_DECLARE_METATYPE(Bytes)

class HostileMidiTest : public QObject {
    Q_OBJECT

private slots:
    void millionHostileMessagesLeaveTheEditorWorking() {
        FrameHarness h;
        DFrame& f = h.startConnected(kPodChannel);
        QMap<QString, int> dialogs;
        DialogWatcher dialogWatcher([&](QWidget* dialog) {
            ++dialogs[QString::fromLatin1(dialog->metaObject()->className())];
            static_cast<QDialog*>(dialog)->reject();
        });
        MessageBoxWatcher boxes;

        HostileStream random(kSeed);
        std::array<int, int(Kind::Count)> tally{};
        std::size_t bytes = 0;
        int batches = 0;
        int userRequests = 0;
        std::map<std::size_t, int> sentBySize; // requests 8, dumps sent back 151, stores 152
        Bytes pending;                         // the stream is cut anywhere, even inside a message
        QElapsedTimer clock;
        clock.start();
        for (int sent = 0; sent < kMessages; ++batches) {
            const int count = std::min<int>(1 + int(random.below(kLargestBatch)), kMessages - sent);
            for (int n = 0; n < count; ++n)
                ++tally[int(random.append(pending))];
            sent += count;
            const std::size_t cut =
                sent == kMessages ? pending.size() : random.below(std::uint32_t(pending.size() + 1));
            h.midi.deliver(Bytes(pending.begin(), pending.begin() + std::ptrdiff_t(cut)));
            bytes += cut;
            pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(cut));
            FrameHarness::settle();
            if (random.chance(kUserActionEvery)) {
                userAsks(f, random);
                ++userRequests;
            }
            for (const Bytes& message : h.midi.sentSysex())
                ++sentBySize[message.size()];
            h.midi.clearLog();
        }
        const qint64 soakMs = clock.elapsed();

        // The last request is answered or runs out, and so do the reads the timers start.
        clock.restart();
        int step = 0;
        for (; step < kDrainSteps; ++step) {
            h.midi.clearLog();
            FrameHarness::settle(kDrainStepMs);
            if (!f.Waiting_for_sysex && h.midi.sentSysex().empty())
                break;
        }
        const qint64 drainMs = clock.elapsed();

        std::printf("%d messages, %zu bytes in %d batches, %d user requests: %lld ms, drained in %lld ms\n",
                    kMessages, bytes, batches, userRequests, soakMs, drainMs);
        for (int k = 0; k < int(Kind::Count); ++k)
            std::printf("  %-15s %7d\n", kKindNames[k], tally[k]);
        QStringList opened;
        for (auto it = dialogs.cbegin(); it != dialogs.cend(); ++it)
            opened << QStringLiteral("%1 x%2").arg(it.key()).arg(it.value());
        for (auto [size, count] : sentBySize)
            std::printf("  sent %zu-byte SysEx x%d\n", size, count);
        std::printf("dialogs answered: %s; message boxes: %lld\n",
                    qPrintable(opened.join(QStringLiteral(", "))), qlonglong(boxes.seen().size()));
        QVERIFY2(step < kDrainSteps, "requests kept starting after the input stopped");
        QVERIFY2(leftovers(f).isEmpty(), qPrintable(leftovers(f)));
        // Hostile input is dropped silently: no message of the editor's may appear.
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));

        // An ordinary read still works.
        h.midi.clearLog();
        f.CmFileRead();
        QCOMPARE(h.midi.sentSysex(),
                 std::vector<Bytes>({Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end())}));
        QCOMPARE(f.Waiting_for_sysex, 1);
        const Bytes answer = namedDump("Still Standing");
        h.midi.deliver(answer);
        FrameHarness::settle();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Still Standing"));
        QCOMPARE(f.AmpModel->currentIndex(), 3);
        QVERIFY(std::equal(answer.begin(), answer.end(), f.sysEx.begin()));
        QVERIFY2(leftovers(f).isEmpty(), qPrintable(leftovers(f)));
    }

    // A request armed while other bytes are still arriving gets the dump that answers it. In
    // the first rows an earlier request took the start of the message.
    void requestArmedMidStreamGetsItsDump_data() {
        QTest::addColumn<bool>("armedBefore");
        QTest::addColumn<Bytes>("before");
        QTest::addColumn<Bytes>("after");
        const Bytes start{kSysexStart, 0x00, 0x01};
        const Bytes overlong = start + filler(kSysexBufferSize + 100);
        QTest::newRow("rest of a SysEx longer than the buffer")
            << true << overlong << filler(500) + Bytes{kSysexEnd};
        QTest::newRow("rest of an over-long SysEx, no F7") << true << overlong << filler(500);
        QTest::newRow("rest of an over-long SysEx, unarmed")
            << false << overlong << filler(500) + Bytes{kSysexEnd};
        QTest::newRow("rest of a SysEx begun unarmed")
            << false << start + filler(100) << filler(50) + Bytes{kSysexEnd};
        QTest::newRow("running status across the request")
            << false << Bytes{0xB5, 0x0D} << Bytes{0x40, 0x0E, 0x41};
        QTest::newRow("stray data around the request") << false << filler(3) << filler(3);
    }
    void requestArmedMidStreamGetsItsDump() {
        QFETCH(bool, armedBefore);
        QFETCH(Bytes, before);
        QFETCH(Bytes, after);
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump(); // the start-up read
        MessageBoxWatcher boxes;

        if (armedBefore)
            f.CmFileRead();
        h.midi.deliver(before);
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0); // a full buffer came back and matched nothing
        f.CmFileRead();
        QCOMPARE(f.Waiting_for_sysex, 1);
        h.midi.deliver(after);
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 1); // nothing in the rest is an answer
        h.midi.deliver(namedDump("Mid Stream"));
        FrameHarness::settle();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Mid Stream"));
        QVERIFY2(leftovers(f).isEmpty(), qPrintable(leftovers(f)));
        QVERIFY(boxes.seen().isEmpty());
    }
};

QTEST_MAIN(HostileMidiTest)
#include "hostile_midi_qtest.moc"
