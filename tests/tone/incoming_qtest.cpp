// Knobs turned and patches chosen on the device: the panel follows, reads back, never echoes.
#include "app/DFrame.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DDelay.h"
#include "tone/ToneControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include <algorithm>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

constexpr int kChannel = 5;
const QString kEditRequest = QStringLiteral("F0 00 01 0C 01 00 01 F7");
using State = QMap<QString, QString>;

// Everything the device could change: every control's state by member, the visibilities, the
// value labels, the title and the focus.
State snapshot(DFrame& f) {
    State s;
    for (const ToneParameter& p : toneMap())
        if (!p.member.empty())
            s[QString::fromLatin1(p.member.data(), qsizetype(p.member.size()))] =
                QString::number(controlState(f.toneControl(p.member)));
    s["Drive2 shown"] = QString::number(f.Drive2->isVisible());
    s["TremChor enabled"] = QString::number(f.TremChor->isEnabled());
    s["StaticChFeedback"] = f.ChorusWindow->StaticChFeedback->text();
    s["title"] = f.windowTitle();
    s["focus"] = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "(none)";
    return s;
}

// "member=state, ..." for the entries of after that differ from before, in key order.
QString changes(const State& before, const State& after) {
    QStringList out;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()) || before.value(it.key()) != it.value())
            out << it.key() + "=" + it.value();
    return out.join(", ");
}

State parse(const char* text) {
    State s;
    for (const QString& entry : QString::fromLatin1(text).split(", ", Qt::SkipEmptyParts))
        s[entry.section('=', 0, 0)] = entry.section('=', 1);
    return s;
}

void deliver(FrameHarness& h, std::vector<std::uint8_t> bytes) {
    h.midi.deliver(bytes);
    FrameHarness::settle();
}

// On screen and active, the focus resting on a control the device never moves (AIR takes nothing back).
DFrame& startParked(FrameHarness& h) {
    DFrame& f = h.startPanel(kChannel);
    if (QTest::qWaitForWindowActive(&f))
        f.Air->setFocus();
    return f;
}

int requestsSent(const FrameHarness& h) {
    return int(h.sentHex().count(kEditRequest));
}

enum class Read { None, Now, Later, NeverLater };
constexpr int kProgram = 0xC0;

struct Received {
    int data1, data2;
    const char* preset;  // states set before, "member=state, ..."
    const char* changes; // every state that then changes
    Read read = Read::None;
    int status = 0xB0;
};

// Every controller the panel takes back (two rows for thresholds), then program changes.
const Received kReceived[] = {
    {4, 100, "", "Wah=1, WahLevel=27"},
    {7, 100, "", "VolLevel=27"},
    {12, 31, "AmpModel=3, Drive2 shown=1", "AmpModel=31, Drive2 shown=0, focus=AmpModel", Read::Now},
    {12, 4, "AmpModel=0, Drive2 shown=0", "AmpModel=4, Drive2 shown=1, focus=AmpModel", Read::Now},
    {12, 32, "AmpModel=4, Drive2 shown=1", "AmpModel=-1, Drive2 shown=0, focus=AmpModel", Read::Now},
    {13, 100, "", "Drive=27, Drive2=27, focus=Drive"},
    {14, 100, "", "Bass=27, focus=Bass"},
    {15, 100, "", "Mid=27, focus=Mid"},
    {16, 100, "", "Treble=27, focus=Treble"},
    {17, 100, "", "ChVol=27, focus=ChVol"},
    {18, 100, "Reverb=0", "Reverb=1, ReverbLevel=27, focus=ReverbLevel"},
    {19, 6, "EffectSel=3", "focus=EffectSel", Read::Now}, // the dump shows the effect
    {20, 100, "", "Drive2=27"},
    {21, 100, "", "Presence=27, focus=Presence"},
    {22, 64, "", "NoiseGate=1"},
    {22, 63, "NoiseGate=1", "NoiseGate=0"},
    {24, 100, "", "GateDecayTime=27"},
    {25, 127, "", "Distortion=1"},
    {26, 63, "DriveBoost=1", "DriveBoost=0"},
    {27, 64, "", "PresBoost=1"},
    {28, 10, "Delay=1", "Delay=0"},
    {32, 100, "", "DelayFeedback=100, focus=DelayFeedback"},
    {34, 100, "", "DelayLevel=27, focus=DelayLevel"},
    {36, 63, "", "Reverb=0"},
    {37, 64, "ReverbType=0", "ReverbType=1"},
    {38, 100, "", "ReverbDecay=27, focus=ReverbDecay"},
    {39, 100, "", "ReverbTone=27"},
    {40, 100, "", "ReverbDiffusion=27"},
    {41, 100, "", "ReverbDensity=27"},
    {42, 43, "CRatio=3", "CRatio=1"},
    {42, 110, "CRatio=3", "CRatio=5"},
    {43, 64, "", "Wah=1"},
    {44, 100, "", "WahBottom=27"},
    {45, 100, "", "WahTop=27"},
    {46, 100, "", "VolMin=27"},
    {47, 64, "", "VolPosition=1"},
    {49, 100, "", "Swell=27"},
    {50, 64, "", "TremChor=1"},
    {51, 10, "", "ChSpeed=10"},
    {52, 100, "", "ChDepth=27"},
    // Value 64 is no feedback; the slider's position is its reverse.
    {53, 64, "", "ChFeedback=63, StaticChFeedback=Feedback(0)"},
    {53, 63, "", "ChFeedback=64, StaticChFeedback=Feedback(-)"},
    {53, 65, "", "ChFeedback=62, StaticChFeedback=Feedback(+)"},
    {54, 100, "", "ChPreDelay=27"},
    {55, 63, "RotarySpeed=1", "RotarySpeed=0"},
    // The "Fast" not above "Slow" rule belongs to the user's moves only.
    {56, 100, "RotaryMin=80", "RotaryMax=100"},
    {57, 10, "", "RotaryMin=10"},
    {58, 10, "", "TremSpeed=10"},
    {59, 100, "", "TremDepth=27"},
    {71, 15, "CabSel=2", "CabSel=15, focus=CabSel"},
    {71, 16, "CabSel=2", "CabSel=-1, focus=CabSel"},
    // Controller 1 is the rotary depth only while "Rotary" is chosen; otherwise, and for a tap, the
    // patch is read back a little later.
    {1, 100, "EffectSel=7", "RotaryDepth=27, TremChor=1", Read::NeverLater},
    {1, 100, "EffectSel=8", "", Read::Later},
    {1, 100, "EffectSel=-1", "", Read::Later},
    {64, 127, "", "", Read::Later},
    {0, 0, "", "title=Amplix 32 - Manual Mode", Read::Now, kProgram},
    {1, 0, "", "title=Amplix 32 - Patch 1A", Read::Now, kProgram},
    {19, 0, "", "title=Amplix 32 - Patch 5C", Read::Now, kProgram},
    {36, 0, "", "title=Amplix 32 - Patch 9D", Read::Now, kProgram},
};

// Controllers the device may send that the panel does not take back.
const int kIgnored[] = {0,  2,  3,  5,  6,  8,  9,  10, 11, 23, 29, 30, 31, 33,  35,  48,
                        60, 61, 62, 63, 65, 66, 67, 68, 69, 70, 72, 73, 74, 100, 120, 127};

} // namespace

class IncomingTest : public QObject {
    Q_OBJECT

private slots:
    void eachMessageChangesWhatItShouldWithoutEcho_data() {
        testsupport::addRows(kReceived, [](const Received& r) {
            return QStringLiteral("%1 %2 = %3 %4")
                .arg(r.status == kProgram ? "program" : "cc")
                .arg(r.data1)
                .arg(r.data2)
                .arg(*r.preset ? QStringLiteral("after ") + r.preset : QString());
        });
    }
    void eachMessageChangesWhatItShouldWithoutEcho() {
        QFETCH(int, row);
        const Received& r = kReceived[row];
        FrameHarness h;
        DFrame& f = startParked(h);
        const State preset = parse(r.preset);
        for (auto it = preset.begin(); it != preset.end(); ++it)
            if (it.key() == QStringLiteral("Drive2 shown"))
                f.Drive2->setVisible(it.value() == "1");
            else
                setControlState(f.toneControl(it.key().toStdString()), it.value().toInt());
        QTRY_COMPARE(QApplication::focusWidget(), f.Air);
        const State was = snapshot(f);

        std::vector<std::uint8_t> message{std::uint8_t(r.status | kChannel), std::uint8_t(r.data1)};
        if (r.status != kProgram)
            message.push_back(std::uint8_t(r.data2));
        deliver(h, message);

        QCOMPARE(changes(was, snapshot(f)), changes({}, parse(r.changes)));
        QCOMPARE(h.sentHex(), r.read == Read::Now ? QStringList{kEditRequest} : QStringList{});
        if (r.read == Read::Later || r.read == Read::NeverLater) {
            QTest::qWait(400);
            QCOMPARE(requestsSent(h), 0);
            QTest::qWait(1000); // past both delays, 800 ms for controller 1 and 1000 ms for a tap
            QCOMPARE(h.sentHex(), r.read == Read::Later ? QStringList{kEditRequest} : QStringList{});
        }
    }

    // Each tap starts its own timer; each expiry reads only if no read is waiting for its dump.
    void fourTapsReadOnlyWhenNoReadIsWaiting() {
        FrameHarness h;
        h.startPanel(kChannel);
        for (int tap = 0; tap < 4; ++tap) {
            if (tap > 0)
                QTest::qWait(300);
            deliver(h, {std::uint8_t(0xB0 | kChannel), 64, std::uint8_t(tap % 2 ? 0 : 127)});
        }
        QElapsedTimer sinceLastTap;
        sinceLastTap.start();
        QCOMPARE(requestsSent(h), 0);
        // The first tap's read; its dump comes at once, so the second tap's expiry reads again.
        QTRY_COMPARE_WITH_TIMEOUT(requestsSent(h), 1, 2000);
        h.releaseRequest();
        QTRY_COMPARE_WITH_TIMEOUT(requestsSent(h), 2, 2000);
        // That read stays unanswered: the last two expiries find it waiting and do nothing.
        QTest::qWait(std::max<qint64>(0, 1250 - sinceLastTap.elapsed()));
        QCOMPARE(h.sentHex(), (QStringList{kEditRequest, kEditRequest}));
    }

    // Controllers the panel does not take, programs beyond the last patch, other channels, other
    // messages and another input change nothing, and leave no timer behind that reads later.
    void ignoredMessagesChangeNothing() {
        FrameHarness h;
        DFrame& f = startParked(h);
        // Away from either value, so a control set by either reading would show it.
        setControlState(f.DelayWindow->DelayTime, 1000);
        QTRY_COMPARE(QApplication::focusWidget(), f.Air);
        const State was = snapshot(f);
        std::vector<std::vector<std::uint8_t>> messages;
        for (int controller : kIgnored)
            for (int value : {0, 100})
                messages.push_back(
                    {std::uint8_t(0xB0 | kChannel), std::uint8_t(controller), std::uint8_t(value)});
        messages.insert(messages.end(), {{0xC5, 37},
                                         {0xC5, 127},
                                         {0xB4, 13, 100},
                                         {0xB6, 13, 100},
                                         {0xB0, 13, 100},
                                         {0xBF, 71, 3},
                                         {0xB4, 19, 6},
                                         {0xB6, 12, 31},
                                         {0xB4, 64, 127},
                                         {0xB6, 1, 100},
                                         {0xC4, 5},
                                         {0x95, 13, 100},
                                         {0x85, 13, 100},
                                         {0xA5, 13, 100},
                                         {0xD5, 13},
                                         {0xE5, 13, 100},
                                         {0x95, 64, 100}});
        for (const auto& message : messages) {
            deliver(h, message);
            const QString shown = testsupport::hexBytes(message) + ": ";
            QCOMPARE(shown + changes(was, snapshot(f)), shown);
        }
        const MidiHandle stale = f.HPODMidiIn + 1;
        for (std::uint32_t message :
             {packShortMessage(0xB0 | kChannel, 13, 100), packShortMessage(0xC0 | kChannel, 5)})
            QCoreApplication::postEvent(&f, new MidiInputEvent(MM_MIM_DATA, stale, message));
        FrameHarness::settle();
        QCOMPARE(changes(was, snapshot(f)), QString());
        QTest::qWait(1300);
        QVERIFY(h.midi.sent.empty());
    }
};

QTEST_MAIN(IncomingTest)
#include "incoming_qtest.moc"
