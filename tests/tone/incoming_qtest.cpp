// Knobs turned and patches chosen on the device: the panel follows, reads back, never echoes.
#include "app/DFrame.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DDelay.h"
#include "tone/ToneControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include <algorithm>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

constexpr int kChannel = 5;
constexpr int kRotaryEntry = 7;
const std::vector<std::uint8_t> kEditRequest = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0xF7};
const QString kDrive2Shown = QStringLiteral("Drive2 shown");

// Every control's state by member, and the one visibility the device can change.
using Snapshot = QMap<QString, int>;

Snapshot snapshot(DFrame& f) {
    Snapshot s;
    for (const ToneParameter& p : toneMap())
        if (!p.member.empty())
            s.insert(QString::fromLatin1(p.member.data(), qsizetype(p.member.size())),
                     controlState(f.toneControl(p.member)));
    s.insert(kDrive2Shown, f.Drive2->isVisible() ? 1 : 0);
    s.insert(QStringLiteral("TremChor enabled"), f.TremChor->isEnabled() ? 1 : 0);
    return s;
}

QString describe(const Snapshot& s) {
    QStringList parts;
    for (auto it = s.begin(); it != s.end(); ++it)
        parts << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    return parts.join(QStringLiteral(", "));
}

// The entries whose state differs, with their new states, as "member=state, ...".
QString changes(const Snapshot& before, const Snapshot& after) {
    Snapshot out;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            out.insert(it.key(), it.value());
    return describe(out);
}

QString focusName() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QStringLiteral("(none)");
}

QString hexBytes(const std::vector<std::uint8_t>& bytes) {
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(' ');
}

QStringList sentSysex(const FrameHarness& h) {
    QStringList out;
    for (const auto& m : h.midi.sentSysex())
        out << hexBytes(m);
    return out;
}

int requestsSent(const FrameHarness& h) {
    return int(sentSysex(h).count(hexBytes(kEditRequest)));
}

// A reply that is no dump: it ends the outstanding request and leaves the panel as it is.
void releaseRequest(FrameHarness& h) {
    h.midi.deliver({0xF0, 0x43, 0x10, 0x01, 0xF7});
    FrameHarness::settle();
}

void deliver(FrameHarness& h, std::vector<std::uint8_t> bytes) {
    h.midi.deliver(bytes);
    FrameHarness::settle();
}

void deliverController(FrameHarness& h, int controller, int value) {
    deliver(h, {std::uint8_t(0xB0 | kChannel), std::uint8_t(controller), std::uint8_t(value)});
}

// On channel 5, shown and active, the start-up request released and the log empty.
DFrame& startPanel(FrameHarness& h) {
    DFrame& f = h.startConnected(kChannel);
    f.show();
    f.activateWindow();
    releaseRequest(h);
    h.midi.clearLog();
    return f;
}

// The focus rests on a control the device never moves (AIR takes nothing back).
bool parkFocus(DFrame& f) {
    if (!QTest::qWaitForWindowActive(&f))
        return false;
    f.Air->setFocus();
    return QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }) &&
           QApplication::focusWidget() == f.Air;
}

void setEntry(DFrame& f, const QString& member, int state) {
    if (member == kDrive2Shown)
        f.Drive2->setVisible(state != 0);
    else
        setControlState(f.toneControl(member.toStdString()), state);
}

struct Received {
    int controller;
    int value;
    const char* member;
    int before;
    int after;
    bool focus;
    bool read;
    const char* also = nullptr;
    int alsoBefore = 0;
    int alsoAfter = 0;
};

constexpr bool F = true, NF = false, RD = true, NR = false;

// One row per controller of the device (several for thresholds); the also-member is a second
// control the same controller moves, or one that must stay as it is.
const Received kReceived[] = {
    {4, 100, "WahLevel", 0, 27, NF, NR, "Wah", 0, 1},
    {7, 100, "VolLevel", 0, 27, NF, NR},
    {12, 31, "AmpModel", 3, 31, F, RD, "Drive2 shown", 1, 0},
    {12, 4, "AmpModel", 0, 4, F, RD, "Drive2 shown", 0, 1},
    {12, 32, "AmpModel", 4, -1, F, RD, "Drive2 shown", 1, 0},
    {13, 100, "Drive", 64, 27, F, NR, "Drive2", 64, 27},
    {14, 100, "Bass", 64, 27, F, NR},
    {15, 100, "Mid", 64, 27, F, NR},
    {16, 100, "Treble", 64, 27, F, NR},
    {17, 100, "ChVol", 64, 27, F, NR},
    {18, 100, "ReverbLevel", 63, 27, F, NR, "Reverb", 0, 1},
    {19, 6, "EffectSel", 3, 3, F, RD},
    {20, 100, "Drive2", 64, 27, NF, NR, "Drive", 64, 64},
    {21, 100, "Presence", 64, 27, F, NR},
    {22, 64, "NoiseGate", 0, 1, NF, NR},
    {22, 63, "NoiseGate", 1, 0, NF, NR},
    {24, 100, "GateDecayTime", 127, 27, NF, NR},
    {25, 127, "Distortion", 0, 1, NF, NR},
    {25, 0, "Distortion", 1, 0, NF, NR},
    {26, 64, "DriveBoost", 0, 1, NF, NR},
    {26, 63, "DriveBoost", 1, 0, NF, NR},
    {27, 64, "PresBoost", 0, 1, NF, NR},
    {27, 63, "PresBoost", 1, 0, NF, NR},
    {28, 127, "Delay", 0, 1, NF, NR},
    {28, 10, "Delay", 1, 0, NF, NR},
    {32, 100, "DelayFeedback", 0, 100, F, NR},
    {34, 100, "DelayLevel", 127, 27, F, NR},
    {36, 63, "Reverb", 1, 0, NF, NR},
    {36, 64, "Reverb", 0, 1, NF, NR},
    {37, 63, "ReverbType", 1, 0, NF, NR},
    {37, 64, "ReverbType", 0, 1, NF, NR},
    {38, 100, "ReverbDecay", 63, 27, F, NR},
    {39, 100, "ReverbTone", 63, 27, NF, NR},
    {40, 100, "ReverbDiffusion", 63, 27, NF, NR},
    {41, 100, "ReverbDensity", 63, 27, NF, NR},
    {42, 21, "CRatio", 3, 0, NF, NR},
    {42, 22, "CRatio", 3, 1, NF, NR},
    {42, 43, "CRatio", 3, 1, NF, NR},
    {42, 44, "CRatio", 0, 2, NF, NR},
    {42, 87, "CRatio", 0, 3, NF, NR},
    {42, 109, "CRatio", 3, 4, NF, NR},
    {42, 110, "CRatio", 3, 5, NF, NR},
    {43, 64, "Wah", 0, 1, NF, NR},
    {43, 63, "Wah", 1, 0, NF, NR},
    {44, 100, "WahBottom", 127, 27, NF, NR},
    {45, 100, "WahTop", 0, 27, NF, NR},
    {46, 100, "VolMin", 127, 27, NF, NR},
    {47, 64, "VolPosition", -1, 1, NF, NR},
    {47, 63, "VolPosition", 1, 0, NF, NR},
    {49, 100, "Swell", 127, 27, NF, NR},
    {50, 64, "TremChor", 0, 1, NF, NR},
    {50, 63, "TremChor", 1, 0, NF, NR},
    {51, 10, "ChSpeed", 127, 10, NF, NR},
    {52, 100, "ChDepth", 127, 27, NF, NR},
    {53, 100, "ChFeedback", 127, 27, NF, NR},
    {54, 100, "ChPreDelay", 127, 27, NF, NR},
    {55, 64, "RotarySpeed", -1, 1, NF, NR},
    {55, 63, "RotarySpeed", 1, 0, NF, NR},
    // The "Fast" not above "Slow" rule belongs to the user's moves only.
    {56, 100, "RotaryMax", 127, 100, NF, NR, "RotaryMin", 80, 80},
    {57, 10, "RotaryMin", 127, 10, NF, NR, "RotaryMax", 127, 127},
    {58, 10, "TremSpeed", 127, 10, NF, NR},
    {59, 100, "TremDepth", 127, 27, NF, NR},
    {71, 15, "CabSel", 2, 15, F, NR},
    {71, 16, "CabSel", 2, -1, F, NR},
};

// Controllers the device may send that the panel does not take back.
const int kIgnored[] = {0,  2,  3,  5,  6,  8,  9,  10, 11, 23, 29, 30, 31, 33,  35,  48,
                        60, 61, 62, 63, 65, 66, 67, 68, 69, 70, 72, 73, 74, 100, 120, 127};

} // namespace

class IncomingTest : public QObject {
    Q_OBJECT

private slots:
    void eachControllerMovesItsControlWithoutEcho_data() {
        QTest::addColumn<int>("controller");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("focus");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("also");
        QTest::addColumn<int>("alsoBefore");
        QTest::addColumn<int>("alsoAfter");
        for (const Received& r : kReceived)
            QTest::addRow("cc %d = %d, %s", r.controller, r.value, r.member)
                << r.controller << r.value << QString::fromLatin1(r.member) << r.before << r.after << r.focus
                << r.read << QString::fromLatin1(r.also ? r.also : "") << r.alsoBefore << r.alsoAfter;
    }
    void eachControllerMovesItsControlWithoutEcho() {
        QFETCH(int, controller);
        QFETCH(int, value);
        QFETCH(QString, member);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(bool, focus);
        QFETCH(bool, read);
        QFETCH(QString, also);
        QFETCH(int, alsoBefore);
        QFETCH(int, alsoAfter);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QWidget* control = f.toneControl(member.toStdString());
        QVERIFY(control);
        setEntry(f, member, before);
        if (!also.isEmpty())
            setEntry(f, also, alsoBefore);
        QVERIFY(parkFocus(f));
        const Snapshot was = snapshot(f);
        QCOMPARE(was.value(member), before);

        deliverController(h, controller, value);

        QCOMPARE(controlState(control), after);
        Snapshot expected;
        if (after != before)
            expected.insert(member, after);
        if (!also.isEmpty() && alsoAfter != alsoBefore)
            expected.insert(also, alsoAfter);
        QCOMPARE(changes(was, snapshot(f)), describe(expected));
        QCOMPARE(focusName(), focus ? member : QStringLiteral("Air"));
        QVERIFY(h.midi.sentShort().empty());
        QCOMPARE(sentSysex(h), read ? QStringList{hexBytes(kEditRequest)} : QStringList{});
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
    }

    // Value 64 is no feedback; the slider's position is its reverse.
    void chorusFeedbackLabelShowsTheSign_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("label");
        QTest::newRow("64, none") << 64 << 63 << "Feedback(0)";
        QTest::newRow("63, negative") << 63 << 64 << "Feedback(-)";
        QTest::newRow("65, positive") << 65 << 62 << "Feedback(+)";
        QTest::newRow("0, most negative") << 0 << 127 << "Feedback(-)";
        QTest::newRow("127, most positive") << 127 << 0 << "Feedback(+)";
    }
    void chorusFeedbackLabelShowsTheSign() {
        QFETCH(int, value);
        QFETCH(int, position);
        QFETCH(QString, label);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QCOMPARE(f.ChorusWindow->StaticChFeedback->text(), QStringLiteral("Feedback"));
        deliverController(h, 53, value);
        QCOMPARE(f.ChorusWindow->ChFeedback->value(), position);
        QCOMPARE(f.ChorusWindow->StaticChFeedback->text(), label);
        QVERIFY(h.midi.sent.empty());
    }

    // Controller 1 is the rotary depth only while "Rotary" is chosen; otherwise the patch is read
    // back a little later.
    void controller1MovesTheRotaryDepthOrReadsLater_data() {
        QTest::addColumn<int>("effect");
        QTest::addColumn<bool>("rotary");
        QTest::newRow("Rotary") << kRotaryEntry << true;
        QTest::newRow("Delay") << 8 << false;
        QTest::newRow("Flanger 2") << 6 << false;
        QTest::newRow("no effect yet") << -1 << false;
    }
    void controller1MovesTheRotaryDepthOrReadsLater() {
        QFETCH(int, effect);
        QFETCH(bool, rotary);
        FrameHarness h;
        DFrame& f = startPanel(h);
        setControlState(f.EffectSel, effect);
        QVERIFY(parkFocus(f));
        const Snapshot was = snapshot(f);

        deliverController(h, 1, 100);
        const QString expected = rotary ? QStringLiteral("RotaryDepth=27, TremChor=1") : QString();
        QCOMPARE(changes(was, snapshot(f)), expected);
        QCOMPARE(focusName(), QStringLiteral("Air"));
        QVERIFY(h.midi.sent.empty());

        QTest::qWait(400);
        QCOMPARE(requestsSent(h), 0);
        if (rotary) {
            QTest::qWait(1000);
            QVERIFY(h.midi.sent.empty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(requestsSent(h), 1, 2000);
            QCOMPARE(h.midi.sent.size(), std::size_t(1));
            QCOMPARE(changes(was, snapshot(f)), QString());
        }
    }

    void aTapReadsThePatchASecondLater() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        const Snapshot was = snapshot(f);
        deliverController(h, 64, 127);
        QCOMPARE(changes(was, snapshot(f)), QString());
        QTest::qWait(600);
        QCOMPARE(requestsSent(h), 0);
        QTRY_COMPARE_WITH_TIMEOUT(requestsSent(h), 1, 2000);
        QCOMPARE(h.midi.sent.size(), std::size_t(1));
    }

    // Each tap starts its own timer; each expiry reads only if no read is waiting for its dump.
    void fourTapsReadOnlyWhenNoReadIsWaiting() {
        FrameHarness h;
        startPanel(h);
        for (int tap = 0; tap < 4; ++tap) {
            if (tap > 0)
                QTest::qWait(300);
            deliverController(h, 64, tap % 2 ? 0 : 127);
        }
        QElapsedTimer sinceLastTap;
        sinceLastTap.start();
        QCOMPARE(requestsSent(h), 0);
        // The first tap's read; its dump comes at once, so the second tap's expiry reads again.
        QTRY_COMPARE_WITH_TIMEOUT(requestsSent(h), 1, 2000);
        releaseRequest(h);
        QTRY_COMPARE_WITH_TIMEOUT(requestsSent(h), 2, 2000);
        // That read stays unanswered: the last two expiries find it waiting and do nothing.
        QTest::qWait(std::max<qint64>(0, 1250 - sinceLastTap.elapsed()));
        QCOMPARE(requestsSent(h), 2);
        QVERIFY(h.midi.sentShort().empty());
    }

    void programChangesRetitleAndRead_data() {
        QTest::addColumn<int>("program");
        QTest::addColumn<QString>("title");
        QTest::newRow("0") << 0 << "Amplix 32 - Manual Mode";
        QTest::newRow("1") << 1 << "Amplix 32 - Patch 1A";
        QTest::newRow("2") << 2 << "Amplix 32 - Patch 1B";
        QTest::newRow("4") << 4 << "Amplix 32 - Patch 1D";
        QTest::newRow("5") << 5 << "Amplix 32 - Patch 2A";
        QTest::newRow("19") << 19 << "Amplix 32 - Patch 5C";
        QTest::newRow("36") << 36 << "Amplix 32 - Patch 9D";
    }
    void programChangesRetitleAndRead() {
        QFETCH(int, program);
        QFETCH(QString, title);
        FrameHarness h;
        DFrame& f = startPanel(h);
        const Snapshot was = snapshot(f);
        deliver(h, {std::uint8_t(0xC0 | kChannel), std::uint8_t(program)});
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(sentSysex(h), QStringList{hexBytes(kEditRequest)});
        QVERIFY(h.midi.sentShort().empty());
        QCOMPARE(changes(was, snapshot(f)), QString());
    }

    void programsBeyondTheLastPatchChangeNothing_data() {
        QTest::addColumn<int>("program");
        QTest::newRow("37") << 37;
        QTest::newRow("64") << 64;
        QTest::newRow("127") << 127;
    }
    void programsBeyondTheLastPatchChangeNothing() {
        QFETCH(int, program);
        FrameHarness h;
        DFrame& f = startPanel(h);
        deliver(h, {std::uint8_t(0xC0 | kChannel), 5});
        releaseRequest(h);
        h.midi.clearLog();
        deliver(h, {std::uint8_t(0xC0 | kChannel), std::uint8_t(program)});
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2A"));
        QVERIFY(h.midi.sent.empty());
    }

    void ignoredControllersChangeNothing_data() {
        QTest::addColumn<int>("controller");
        QTest::addColumn<int>("value");
        for (int controller : kIgnored)
            for (int value : {0, 100})
                QTest::addRow("cc %d = %d", controller, value) << controller << value;
    }
    void ignoredControllersChangeNothing() {
        QFETCH(int, controller);
        QFETCH(int, value);
        FrameHarness h;
        DFrame& f = startPanel(h);
        // Away from either value, so a control set by either reading would show it.
        setControlState(f.DelayWindow->DelayTime, 1000);
        QVERIFY(parkFocus(f));
        const Snapshot was = snapshot(f);
        deliverController(h, controller, value);
        QCOMPARE(changes(was, snapshot(f)), QString());
        QCOMPARE(focusName(), QStringLiteral("Air"));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        QVERIFY(h.midi.sent.empty());
    }

    void otherChannelsAndOtherMessagesChangeNothing_data() {
        QTest::addColumn<QByteArray>("message");
        auto bytes = [](std::initializer_list<int> list) {
            QByteArray out;
            for (int b : list)
                out.append(char(b));
            return out;
        };
        QTest::newRow("drive on channel 4") << bytes({0xB4, 13, 100});
        QTest::newRow("drive on channel 6") << bytes({0xB6, 13, 100});
        QTest::newRow("drive on channel 0") << bytes({0xB0, 13, 100});
        QTest::newRow("cabinet on channel 15") << bytes({0xBF, 71, 3});
        QTest::newRow("effect on channel 4") << bytes({0xB4, 19, 6});
        QTest::newRow("amp model on channel 6") << bytes({0xB6, 12, 31});
        QTest::newRow("program on channel 4") << bytes({0xC4, 5});
        QTest::newRow("note-on") << bytes({0x95, 13, 100});
        QTest::newRow("note-off") << bytes({0x85, 13, 100});
        QTest::newRow("key pressure") << bytes({0xA5, 13, 100});
        QTest::newRow("channel pressure") << bytes({0xD5, 13});
        QTest::newRow("pitch bend") << bytes({0xE5, 13, 100});
    }
    void otherChannelsAndOtherMessagesChangeNothing() {
        QFETCH(QByteArray, message);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(parkFocus(f));
        const Snapshot was = snapshot(f);
        deliver(h, std::vector<std::uint8_t>(message.begin(), message.end()));
        QCOMPARE(changes(was, snapshot(f)), QString());
        QCOMPARE(focusName(), QStringLiteral("Air"));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        QVERIFY(h.midi.sent.empty());
    }

    void aMessageFromAnotherInputIsIgnored() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        const Snapshot was = snapshot(f);
        const MidiHandle stale = f.HPODMidiIn + 1;
        for (std::uint32_t message :
             {packShortMessage(0xB0 | kChannel, 13, 100), packShortMessage(0xC0 | kChannel, 5)})
            QCoreApplication::postEvent(&f, new MidiInputEvent(MM_MIM_DATA, stale, message));
        FrameHarness::settle();
        QCOMPARE(changes(was, snapshot(f)), QString());
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        QVERIFY(h.midi.sent.empty());
    }

    // Nothing of the above may leave a timer behind that reads later.
    void noIgnoredMessageReadsLater() {
        FrameHarness h;
        startPanel(h);
        for (int controller : kIgnored)
            deliverController(h, controller, 100);
        deliver(h, {0xB4, 64, 127});
        deliver(h, {0xB6, 1, 100});
        deliver(h, {0x95, 64, 100});
        QTest::qWait(1300);
        QVERIFY(h.midi.sent.empty());
    }
};

QTEST_MAIN(IncomingTest)
#include "incoming_qtest.moc"
