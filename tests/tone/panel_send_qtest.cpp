// What the panel and its effect windows send when the user drags, steps, clicks and chooses, and what
// they show: exact bytes, channel 5.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DDelay.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"
#include "tone/ToneControls.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

using namespace amplix;
using testsupport::addRows;
using testsupport::FrameHarness;
using testsupport::hexBytes;

namespace {

constexpr int kChannel = 5;
constexpr int kLinkAmpModelItem = 146;
const QString kEditRequest = QStringLiteral("F0 00 01 0C 01 00 01 F7");

QString cc(int controller, int value) {
    return testsupport::ccHex(kChannel, controller, value);
}

// Control changes written "controller,value ...", as the wire carries them.
QStringList wire(const char* messages) {
    QStringList out;
    for (const QString& m : QString::fromLatin1(messages).split(' ', Qt::SkipEmptyParts))
        out << cc(m.section(',', 0, 0).toInt(), m.section(',', 1).toInt());
    return out;
}

// A user's gesture on a slider: a drag through thumb positions (then release), or key presses.
struct Gesture {
    QList<int> dragTo;
    QList<int> keys;
};
Gesture drag(QList<int> positions) {
    return {positions, {}};
}
Gesture keys(QList<int> keys) {
    return {{}, keys};
}

struct Move {
    const char* what;
    const char* member;
    int from;
    Gesture gesture;
    int position;
    const char* sent;
    const char* label = "";  // the value label ("Static" + member) after the move, if it shows one
    const char* checks = ""; // a box the move checks without sending the box's controller
};

// Reversed sliders send 127 at the top (position 0), direct ones their position. A drag sends each
// step and its final value once more at release; a key press sends once.
const Move kMoves[] = {
    {"End to the bottom", "Drive", 64, keys({Qt::Key_End}), 127, "13,0"},
    {"Up from one below the top", "Drive", 1, keys({Qt::Key_Up}), 0, "13,127"},
    {"drag via 30 to the middle", "Drive", 64, drag({30, 64}), 64, "13,97 13,63 13,63"},
    {"End", "Drive2", 64, keys({Qt::Key_End}), 127, "20,0"},
    {"PageUp", "Bass", 89, keys({Qt::Key_PageUp}), 64, "14,63"},
    {"Down", "Mid", 63, keys({Qt::Key_Down}), 64, "15,63"},
    {"Up", "Treble", 65, keys({Qt::Key_Up}), 64, "16,63"},
    {"End", "Presence", 64, keys({Qt::Key_End}), 127, "21,0"},
    {"Home", "ChVol", 64, keys({Qt::Key_Home}), 0, "17,127"},
    {"Right, Left, End", "Air", 63, keys({Qt::Key_Right, Qt::Key_Left, Qt::Key_End}), 127,
     "72,64 72,63 72,127"},
    {"drag to the top", "ChSpeed", 127, drag({0}), 0, "51,0 51,0"},
    {"drag to the top", "ChDepth", 127, drag({0}), 0, "52,127 52,127"},
    {"drag to the middle", "ChPreDelay", 127, drag({64}), 64, "54,63 54,63"},
    {"Up, Up", "TremSpeed", 64, keys({Qt::Key_Up, Qt::Key_Up}), 62, "58,63 58,62"},
    {"PageUp", "TremDepth", 127, keys({Qt::Key_PageUp}), 102, "59,25"},
    {"drag to the bottom", "Swell", 0, drag({127}), 127, "49,0 49,0"},
    {"drag to the middle", "GateThreshold", 127, drag({64}), 64, "23,64 23,64"},
    {"Home", "GateDecayTime", 127, keys({Qt::Key_Home}), 0, "24,127"},
    {"Down to the bottom", "DelayLevel", 126, keys({Qt::Key_Down}), 127, "34,0"},
    {"drag right to the end", "DelayFeedback", 0, drag({127}), 127, "32,127 32,127"},
    {"drag to the bottom", "ReverbDecay", 63, drag({127}), 127, "38,0 38,0"},
    {"drag to the top", "ReverbTone", 63, drag({0}), 0, "39,127 39,127"},
    {"Down", "ReverbDiffusion", 63, keys({Qt::Key_Down}), 64, "40,63"},
    {"PageDown", "ReverbDensity", 63, keys({Qt::Key_PageDown}), 88, "41,39"},
    {"drag to the middle", "VolLevel", 0, drag({64}), 64, "7,63 7,63"},
    {"Home", "VolMin", 127, keys({Qt::Key_Home}), 0, "46,127"},
    {"drag to the bottom", "WahTop", 0, drag({127}), 127, "45,0 45,0"},
    {"Up", "WahBottom", 127, keys({Qt::Key_Up}), 126, "44,1"},
    // The 14-bit device value is the largest integer below ms x 5.201, high 7 bits first.
    {"1000 ms", "DelayTime", 1001, keys({Qt::Key_Left}), 1000, "30,40 62,80", "Delay Time:  1000 mS"},
    {"3150 ms by a drag", "DelayTime", 0, drag({3150}), 3150, "30,127 62,127 30,127 62,127",
     "Delay Time:  3150 mS"},
    // Value 64 (position 63) is no feedback.
    {"to 64", "ChFeedback", 65, keys({Qt::Key_Up}), 64, "53,63", "Feedback(-)"},
    {"to 63", "ChFeedback", 64, keys({Qt::Key_Up}), 63, "53,64", "Feedback(0)"},
    {"to 62", "ChFeedback", 63, keys({Qt::Key_Up}), 62, "53,65", "Feedback(+)"},
    {"Up", "ReverbLevel", 63, keys({Qt::Key_Up}), 62, "18,65", "", "Reverb"},
    {"drag to the middle", "WahLevel", 63, drag({64}), 64, "4,63 4,63", "", "Wah"},
    // The rotary depth's message to the frame checks Trem/Chorus once it arrives from the event loop.
    {"Home", "RotaryDepth", 126, keys({Qt::Key_Home}), 0, "1,127", "", "TremChor"},
    {"drag to the middle", "RotaryDepth", 126, drag({64}), 64, "1,63 1,63", "", "TremChor"},
};

// "Fast" (RotaryMax, 56) may not go above "Slow" (RotaryMin, 57): a move past it is put back.
// Back at Slow's position, the release sends Fast's value once more, as for any drag. A jump past
// Slow stops at Slow; that is a new place for Fast, so it is sent.
struct Rotary {
    const char* what;
    int fast, slow;
    bool moveFast;
    Gesture gesture;
    int fastAfter, slowAfter;
    const char* sent;
};
const Rotary kRotary[] = {
    {"Fast dragged past Slow", 80, 80, true, drag({99}), 80, 80, "56,80"},
    {"Fast dragged past Slow and back", 80, 80, true, drag({99, 127, 64}), 64, 80, "56,64 56,64"},
    {"Fast Down onto Slow", 79, 80, true, keys({Qt::Key_Down}), 80, 80, "56,80"},
    {"Fast Down past Slow", 80, 80, true, keys({Qt::Key_Down}), 80, 80, ""},
    {"Fast End jumps past Slow", 10, 80, true, keys({Qt::Key_End}), 80, 80, "56,80"},
    {"Slow Up past Fast", 40, 40, false, keys({Qt::Key_Up}), 40, 40, ""},
    {"Slow Down", 40, 40, false, keys({Qt::Key_Down}), 40, 41, "57,41"},
    {"Slow dragged past Fast", 40, 80, false, drag({21}), 40, 40, "57,40 57,40"},
};

// Lists chosen by the keys or in the opened list; the cabinet requests nothing.
struct Choice {
    const char* member;
    int index;
    bool popup;
    const char* sent;
};
const Choice kChoices[] = {
    {"CabSel", 0, false, "71,0"},     {"CabSel", 15, false, "71,15"},     {"CabSel", 12, true, "71,12"},
    {"CRatio", 1, false, "42,30"},    {"CRatio", 2, false, "42,50"},      {"CRatio", 3, true, "42,80"},
    {"CRatio", 4, false, "42,100"},   {"CRatio", 5, false, "42,127"},     {"ReverbType", 1, true, "37,127"},
    {"ReverbType", 0, false, "37,0"}, {"RotarySpeed", 1, true, "55,127"}, {"VolPosition", 0, true, "47,0"},
};

// Each switch from its start state, by a click or the space bar.
const std::tuple<const char*, bool, const char*> kClicks[] = {
    {"Distortion", true, "25,127"}, {"DriveBoost", false, "26,127"}, {"PresBoost", true, "27,127"},
    {"TremChor", false, "50,127"},  {"Bright", true, "73,0"},        {"Delay", true, "28,127"},
    {"Reverb", false, "36,0"},      {"NoiseGate", false, "22,127"},  {"Wah", true, "43,127"},
};

struct Effect {
    const char* entry;
    int code;
    bool delay, tremChor;
    const char* window; // the modulation-slot window shown, "" for none
};
const Effect kEffects[] = {
    {"Bypass", 10, false, false, ""},
    {"Compressor", 11, false, false, "Compressor"},
    {"Tremolo", 9, false, true, "Tremolo"},
    {"Chorus 1", 8, false, true, "Chorus"},
    {"Chorus 2", 0, false, true, "Chorus"},
    {"Flanger 1", 1, false, true, "Chorus"},
    {"Flanger 2", 3, false, true, "Chorus"},
    {"Rotary", 2, false, true, "Rotary"},
    {"Delay", 6, true, false, ""},
    {"Delay/Compressor", 7, true, false, "Compressor"},
    {"Delay/Tremolo", 5, true, true, "Tremolo"},
    {"Delay/Chorus 1", 4, true, true, "Chorus"},
    {"Delay/Chorus 2", 12, true, true, "Chorus"},
    {"Delay/Flanger 1", 13, true, true, "Chorus"},
    {"Delay/Flanger 2", 15, true, true, "Chorus"},
    {"Delay/Swell", 14, true, false, "Volume Swell"},
};

QList<QWidget*> slotWindows(DFrame& f) {
    return {f.ChorusWindow, f.RotaryWindow, f.TremoloWindow, f.SwellWindow, f.CompressorWindow};
}

// Shows the control's window (alone in the modulation slot) and gives the control the focus.
void bringUp(DFrame& f, QWidget* control) {
    for (QWidget* window : slotWindows(f))
        window->hide();
    control->parentWidget()->show();
    control->setFocus();
    QTRY_VERIFY(control->hasFocus());
}

void perform(DFrame& f, QSlider* slider, const Gesture& gesture) {
    bringUp(f, slider);
    for (int key : gesture.keys)
        QTest::keyClick(slider, Qt::Key(key));
    if (gesture.dragTo.isEmpty())
        return;
    const QPoint press = testsupport::sliderThumb(slider).center();
    QList<QPoint> path;
    for (int position : gesture.dragTo) {
        path << testsupport::sliderDragPoint(slider, press, position);
        QVERIFY2(!path.last().isNull(), qPrintable(QString("no pixel puts the thumb at %1").arg(position)));
    }
    QTest::mousePress(slider, Qt::LeftButton, {}, press);
    for (QPoint at : path)
        QTest::mouseMove(slider, at);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, path.last());
}

} // namespace

Q_DECLARE_METATYPE(Gesture)

class PanelSendTest : public QObject {
    Q_OBJECT

private slots:
    void slidersSendByTheirKind_data() {
        addRows(kMoves, [](const Move& m) { return QString(m.member) + " " + m.what; });
    }
    void slidersSendByTheirKind() {
        QFETCH(int, row);
        const Move& m = kMoves[row];
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        auto* slider = qobject_cast<QSlider*>(f.toneControl(m.member));
        auto* label = f.findChild<QLabel*>(QStringLiteral("Static") + m.member);
        const QString before = label->text();
        auto* box = *m.checks ? qobject_cast<QCheckBox*>(f.toneControl(m.checks)) : nullptr;
        if (box)
            setControlState(box, 0);
        setControlState(slider, m.from);
        perform(f, slider, m.gesture);
        QCOMPARE(slider->value(), m.position);
        QCOMPARE(h.sentHex(), wire(m.sent));
        QCOMPARE(label->text(), *m.label ? QString::fromLatin1(m.label) : before);
        QCOMPARE(box && box->isChecked(),
                 box && box != f.TremChor); // the frame's box waits for the event loop
        FrameHarness::settle();
        QVERIFY(!box || box->isChecked());
        QCOMPARE(h.sentHex(), wire(m.sent));
    }

    void fastNeverAboveSlow_data() {
        addRows(kRotary, [](const Rotary& r) { return QString(r.what); });
    }
    void fastNeverAboveSlow() {
        QFETCH(int, row);
        const Rotary& r = kRotary[row];
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        DRotary* rotary = f.RotaryWindow;
        setControlState(rotary->RotaryMax, r.fast);
        setControlState(rotary->RotaryMin, r.slow);
        perform(f, r.moveFast ? rotary->RotaryMax : rotary->RotaryMin, r.gesture);
        QCOMPARE(rotary->RotaryMax->value(), r.fastAfter);
        QCOMPARE(rotary->RotaryMin->value(), r.slowAfter);
        QCOMPARE(rotary->RotaryMax->sliderPosition(), r.fastAfter);
        QCOMPARE(rotary->RotaryMin->sliderPosition(), r.slowAfter);
        QCOMPARE(h.sentHex(), wire(r.sent));
    }

    // While the button is still down, each move past Slow is undone on the spot and sends nothing.
    void putBackHoldsThroughoutADrag() {
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        QSlider* fast = f.RotaryWindow->RotaryMax;
        setControlState(fast, 80);
        setControlState(f.RotaryWindow->RotaryMin, 80);
        bringUp(f, fast);
        const QPoint press = testsupport::sliderThumb(fast).center();
        const QPoint back = testsupport::sliderDragPoint(fast, press, 64);
        QTest::mousePress(fast, Qt::LeftButton, {}, press);
        for (int position : {99, 110, 127}) {
            QTest::mouseMove(fast, testsupport::sliderDragPoint(fast, press, position));
            QVERIFY(fast->isSliderDown());
            QCOMPARE(fast->sliderPosition(), 80);
            QCOMPARE(fast->value(), 80);
            QCOMPARE(h.sentHex(), QStringList{});
        }
        QTest::mouseMove(fast, back);
        QCOMPARE(h.sentHex(), wire("56,64"));
        QTest::mouseRelease(fast, Qt::LeftButton, {}, back);
        QCOMPARE(fast->value(), 64);
        QCOMPARE(h.sentHex(), wire("56,64 56,64"));
    }

    void listsSendTheirChoice_data() {
        addRows(kChoices, [](const Choice& c) {
            return QStringLiteral("%1 %2 by %3").arg(c.member).arg(c.index).arg(c.popup ? "popup" : "keys");
        });
    }
    void listsSendTheirChoice() {
        QFETCH(int, row);
        const Choice& c = kChoices[row];
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        auto* list = qobject_cast<QComboBox*>(f.toneControl(c.member));
        bringUp(f, list);
        if (c.popup)
            testsupport::chooseInPopup(list, c.index);
        else
            testsupport::chooseByKeyboard(list, c.index);
        FrameHarness::settle(50);
        QCOMPARE(list->currentIndex(), c.index);
        QCOMPARE(h.sentHex(), wire(c.sent));
    }

    void eachSwitchSendsItsNewState() {
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        for (auto [member, byMouse, sent] : kClicks) {
            auto* box = qobject_cast<QCheckBox*>(f.toneControl(member));
            const bool was = box->isChecked();
            bringUp(f, box);
            h.midi.clearLog();
            if (byMouse)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            else
                QTest::keyClick(box, Qt::Key_Space);
            QCOMPARE(box->isChecked(), !was);
            QCOMPARE(h.sentHex(), wire(sent));
        }
    }

    // With "POD Layer" the device has a second drive, and the first knob moves both.
    void driveSendsDrive2TooOnlyWithPodLayer() {
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        setControlState(f.Drive2, 30);
        for (int ampModel : {4, 3, -1}) {
            h.midi.clearLog();
            setControlState(f.AmpModel, ampModel);
            setControlState(f.Drive, 64);
            f.Drive->setFocus();
            QTest::keyClick(f.Drive, Qt::Key_End);
            QCOMPARE(h.sentHex(), wire(ampModel == 4 ? "13,0 20,97" : "13,0"));
            QCOMPARE(f.Drive2->value(), 30);
        }
    }

    void choosingAnEffectSetsTheSlotTheBoxesAndReads_data() {
        addRows(kEffects, [](const Effect& e) { return QString(e.entry); });
    }
    void choosingAnEffectSetsTheSlotTheBoxesAndReads() {
        QFETCH(int, row);
        const Effect& e = kEffects[row];
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // The panel starts opposite to what the effect gives, so that every part of it must change.
        for (QWidget* window : slotWindows(f))
            window->show();
        setControlState(f.DelayWindow->Delay, !e.delay);
        setControlState(f.TremChor, !e.tremChor);
        f.TremChor->setEnabled(!e.tremChor);
        if (row % 2)
            testsupport::chooseByKeyboard(f.EffectSel, row);
        else
            testsupport::chooseInPopup(f.EffectSel, row);
        FrameHarness::settle();
        QStringList shown;
        for (QWidget* window : slotWindows(f))
            if (window->isVisible())
                shown << window->windowTitle();
        QCOMPARE(shown.join(""), *e.window ? QString(e.window) + " Setup" : QString());
        QCOMPARE(f.EffectSel->currentText(), QString::fromLatin1(e.entry));
        QCOMPARE(f.DelayWindow->Delay->isChecked(), e.delay);
        QCOMPARE(f.TremChor->isChecked(), e.tremChor);
        QCOMPARE(f.TremChor->isEnabled(), e.tremChor);
        QCOMPARE(h.sentHex(), (QStringList{cc(19, e.code), kEditRequest}));
    }

    // The menu item toggles the link, its label and its check, sending nothing; linked, the amp model
    // goes out as a controller and is read back.
    void linkedAmpModelGoesOutAsAControllerAndIsReadBack() {
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QAction* link = f.menuAction(kLinkAmpModelItem);
        for (bool linked : {false, true}) {
            link->trigger();
            QCOMPARE(link->isChecked(), linked);
            QCOMPARE(f.StaticAmpModel->text(),
                     QString::fromLatin1(linked ? "Amp Model: (Linked)" : "Amp Model: (UnLinked)"));
        }
        QVERIFY(h.midi.sent.empty());
        f.Drive2->hide();
        testsupport::chooseByKeyboard(f.AmpModel, 4);
        FrameHarness::settle();
        QCOMPARE(f.AmpModel->currentText(), QStringLiteral("POD Layer"));
        QVERIFY(f.Drive2->isVisible());
        QCOMPARE(h.sentHex(), (QStringList{cc(12, 4), kEditRequest}));

        h.releaseRequest();
        h.midi.clearLog();
        f.AmpModel->setFocus();
        QTest::keyClick(f.AmpModel, Qt::Key_Home);
        FrameHarness::settle();
        QCOMPARE(f.AmpModel->currentText(), QStringLiteral("Tube Preamp"));
        QVERIFY(!f.Drive2->isVisible());
        QVERIFY(f.StaticDrive2->isVisible()); // the label stays
        QCOMPARE(h.sentHex(), (QStringList{cc(12, 0), kEditRequest}));
    }

    // Unlinked, the amp model goes into the device's own patch by a read-modify-write round trip:
    // the dump that answers the read goes back with only the amp model changed.
    void unlinkedAmpModelIsWrittenIntoTheDumpAndSentBack_data() {
        QTest::addColumn<bool>("readWaiting");
        QTest::addColumn<bool>("timesOut");
        QTest::newRow("answers the read it starts") << false << false;
        QTest::newRow("rides on the read already waiting") << true << false;
        QTest::newRow("dropped when the read times out") << false << true;
    }
    void unlinkedAmpModelIsWrittenIntoTheDumpAndSentBack() {
        QFETCH(bool, readWaiting);
        QFETCH(bool, timesOut);
        FrameHarness h;
        DFrame& f = h.startConnected(kChannel);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (!readWaiting)
            h.releaseRequest();
        h.midi.clearLog();
        f.menuAction(kLinkAmpModelItem)->trigger();
        testsupport::chooseInPopup(f.AmpModel, 12);
        FrameHarness::settle();
        QCOMPARE(f.AmpModel->currentText(), QStringLiteral("Brit Hi Gain"));
        QVERIFY(!f.Drive2->isVisible());
        QCOMPARE(h.sentHex(), readWaiting ? QStringList{} : QStringList{kEditRequest});

        PatchRecord record{};
        for (std::size_t k = 0; k < kRecordSize; ++k)
            record[k] = std::uint8_t(0x11 + 7 * k);
        record[8] = 0x1B; // the device's current amp model, "Modern Hi Gain 2": nibbles 01 0B at 24
        const auto built = buildSingleDump(record, 0x42);
        const std::vector<std::uint8_t> dump(built.begin(), built.end());
        std::vector<std::uint8_t> expected = dump;
        expected[24] = 0x00;
        expected[25] = 0x0C;
        if (timesOut) {
            QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 3000);
            QCOMPARE(f.AmpModel->currentText(), QStringLiteral("Brit Hi Gain"));
        } else {
            h.midi.clearLog();
            h.midi.deliver(dump);
            FrameHarness::settle();
            QCOMPARE(h.sentHex(), QStringList{hexBytes(expected)});
        }
        // Done once: the next read brings a dump that stays with the editor.
        h.midi.clearLog();
        f.menuAction(CM_FILEREAD)->trigger(); // "Read POD settings"
        h.midi.deliver(dump);
        FrameHarness::settle();
        QCOMPARE(h.sentHex(), QStringList{kEditRequest});
    }

    void aHiddenEffectWindowKeepsItsSettings() {
        FrameHarness h;
        DFrame& f = h.startPanel(kChannel);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        DChorus* chorus = f.ChorusWindow;
        QSlider* sliders[] = {chorus->ChSpeed, chorus->ChDepth, chorus->ChFeedback, chorus->ChPreDelay};
        testsupport::chooseByKeyboard(f.EffectSel, 5); // "Flanger 1"
        QVERIFY(chorus->isVisible());
        for (int i = 0; i < 4; ++i)
            setControlState(sliders[i], 40 + 20 * i);
        testsupport::chooseInPopup(f.EffectSel, 2); // "Tremolo"
        QVERIFY(!chorus->isVisible());
        QVERIFY(f.TremoloWindow->isVisible());
        testsupport::chooseInPopup(f.EffectSel, 5);
        QVERIFY(chorus->isVisible());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(sliders[i]->value(), 40 + 20 * i);
    }
};

QTEST_MAIN(PanelSendTest)
#include "panel_send_qtest.moc"
