// Hostile MIDI input: a million random, broken and oversized messages fed to the running frame.
#include "app/DFrame.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTest>

#include <random>

using namespace amplix;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t kSeed = 0x504F4432;
constexpr int kMessages = 1'000'000;
// Small batches, so that requests get armed, answered and broken off all through the stream.
constexpr std::uint32_t kLargestBatch = 400;
constexpr std::uint32_t kUserActionEvery = 25; // batches, on average
constexpr int kDrainStepMs = 1100;             // longer than the edit-buffer time-out and the tap-tempo read
constexpr int kDrainSteps = 12;                // enough for a bank time-out and the reads started meanwhile

template <typename Array> Bytes toBytes(const Array& a) {
    return {a.begin(), a.end()};
}

// A deterministic source of what a broken cable, a confused device or another program on the
// same port might send.
class HostileStream {
public:
    std::uint32_t below(std::uint32_t n) { return rng_() % n; }
    std::uint8_t data() { return std::uint8_t(below(0x80)); }

    void append(Bytes& out) {
        const std::uint32_t pick = below(1000);
        Bytes m;
        if (pick < 500) { // any status or none, with up to three data bytes: cut short, stray, running
            if (below(5))
                m.push_back(std::uint8_t(0x80 + below(0x80)));
            for (std::uint32_t n = below(4); n > 0; --n)
                m.push_back(data());
        } else if (pick < 700) { // a controller or a program on the POD's channel, in range or not
            m = {below(3) ? kControlChange : kProgramChange, data(), data()};
        } else if (pick < 850) { // SysEx of any length
            for (m.push_back(kSysexStart); below(100); m.push_back(data()))
                ;
            m.push_back(kSysexEnd);
        } else { // dumps as the device sends them, a few banks, a few longer than any buffer
            std::array<PatchRecord, kPatchLocations> records{};
            for (std::size_t n = 0; n < (pick < 990 ? 1 : kPatchLocations); ++n)
                for (auto& b : records[n])
                    b = std::uint8_t(below(256));
            if (pick < 990)
                m = toBytes(buildSingleDump(records[0], data()));
            else
                m = toBytes(buildBankDump(records, data()));
            for (m.pop_back(); pick >= 995 && m.size() <= kSysexBufferSize + below(2800);)
                m.push_back(data());
            m.push_back(kSysexEnd);
        }
        // Half as it is; otherwise a byte changed (in the header, a nibble out of range, the F7
        // lost), cut short, or a real-time byte inside.
        const std::uint32_t spoil = below(6);
        if (spoil == 0 && !m.empty())
            m[below(std::uint32_t(m.size()))] = std::uint8_t(below(256));
        if (spoil == 1)
            m.resize(below(std::uint32_t(m.size() + 1)));
        if (spoil == 2)
            m.insert(m.begin() + below(std::uint32_t(m.size() + 1)), std::uint8_t(0xF8 + below(8)));
        out.insert(out.end(), m.begin(), m.end());
    }

private:
    std::mt19937 rng_{kSeed};
};

// What the user might do meanwhile: every request that sets a flag, and a plain read.
void userAsks(DFrame& f, HostileStream& random) {
    const std::function<void()> asks[] = {[&] { f.CmFileSave_(); },
                                          [&] { f.CmFileSave_All(); },
                                          [&] { f.WmChangePName(); },
                                          [&] { f.WmSaveToPod(); },
                                          [&] { f.CmFileRead(); },
                                          [&] { // an amp model chosen while unlinked
                                              if (f.AmpModel_linked)
                                                  f.CmLinkAmp();
                                              f.AmpModel->setCurrentIndex(int(random.below(32)));
                                              emit f.AmpModel->activated(f.AmpModel->currentIndex());
                                          }};
    asks[random.below(6)]();
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
    Bytes bytes = toBytes(buildSingleDump(record, 0x11));
    writeDumpName(bytes, name);
    return bytes;
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
        DFrame& f = h.startConnected(0);
        testsupport::DialogWatcher dialogs([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        MessageBoxWatcher boxes;

        HostileStream random;
        Bytes pending; // the stream is cut anywhere, even inside a message
        for (int sent = 0; sent < kMessages;) {
            const int count = std::min<int>(1 + int(random.below(kLargestBatch)), kMessages - sent);
            for (int n = 0; n < count; ++n)
                random.append(pending);
            sent += count;
            const std::size_t cut =
                sent == kMessages ? pending.size() : random.below(std::uint32_t(pending.size() + 1));
            h.midi.deliver(Bytes(pending.begin(), pending.begin() + std::ptrdiff_t(cut)));
            pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(cut));
            FrameHarness::settle();
            if (random.below(kUserActionEvery) == 0)
                userAsks(f, random);
            h.midi.clearLog();
        }
        // The last request is answered or runs out, and so do the reads the timers start.
        int step = 0;
        for (h.midi.clearLog(); step < kDrainSteps; ++step, h.midi.clearLog()) {
            FrameHarness::settle(kDrainStepMs);
            if (!f.Waiting_for_sysex && h.midi.sentSysex().empty())
                break;
        }
        QVERIFY2(step < kDrainSteps, "requests kept starting after the input stopped");
        QVERIFY2(leftovers(f).isEmpty(), qPrintable(leftovers(f)));
        // Hostile input is dropped silently: no message of the editor's may appear.
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));

        // An ordinary read still works.
        f.CmFileRead();
        QCOMPARE(h.midi.sentSysex(),
                 std::vector<Bytes>({Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end())}));
        QCOMPARE(f.Waiting_for_sysex, 1);
        const Bytes answer = namedDump("Still Standing");
        h.midi.deliver(answer);
        FrameHarness::settle();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Still Standing  "));
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
        const Bytes overlong = start + Bytes(kSysexBufferSize + 100, 0x2A);
        const Bytes rest(500, 0x2A);
        QTest::newRow("rest of a SysEx longer than the buffer")
            << true << overlong << rest + Bytes{kSysexEnd};
        QTest::newRow("rest of an over-long SysEx, no F7") << true << overlong << rest;
        QTest::newRow("rest of an over-long SysEx, unarmed") << false << overlong << rest + Bytes{kSysexEnd};
        QTest::newRow("rest of a SysEx begun unarmed")
            << false << start + Bytes(100, 0x2A) << rest + Bytes{kSysexEnd};
        QTest::newRow("running status across the request")
            << false << Bytes{0xB5, 0x0D} << Bytes{0x40, 0x0E, 0x41};
        QTest::newRow("stray data around the request") << false << Bytes(3, 0x2A) << Bytes(3, 0x2A);
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
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Mid Stream      "));
        QVERIFY2(leftovers(f).isEmpty(), qPrintable(leftovers(f)));
        QVERIFY(boxes.seen().isEmpty());
    }
};

QTEST_MAIN(HostileMidiTest)
#include "hostile_midi_qtest.moc"
