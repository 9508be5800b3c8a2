// Edit > Undo and Redo on every control of the panel and the effect windows: undo sends exactly
// what the user's own change back sends, redo what the change sent; a change after which the
// device loads new settings is undone by the whole patch; steps merge and end as a user expects.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "device/PodDevice.h"
#include "midi/SimulatorMidiService.h"
#include "support/FrameHarness.h"
#include "support/PanelLabels.h"
#include "support/QtTestSupport.h"
#include "tone/PanelLayout.h"
#include "tone/ToneControls.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QSlider>

using namespace amplix;
using testsupport::FrameHarness;
using testsupport::labelBeside;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A patch of the device's with an effect that puts the member's window on screen (for the
// panel, one with the trem/chorus box in use), the rotary's fast speed below its slow one.
PatchRecord patchShowing(ToneWindow window) {
    PatchRecord record = PodDevice().patch(2);
    for (const EffectRow& effect : effectTable())
        if (window == ToneWindow::Frame ? effect.tremChor : effect.window == window)
            storeRecordField("EffectSel", effect.code, record);
    for (const auto& [member, value] : {std::pair{"RotaryMax", 30}, {"RotaryMin", 90}}) {
        const ToneParameter& p = *findParameter(member);
        storeControllerValue(p, p.controller, value, record);
    }
    return record;
}

// An editor whose panel shows record, read from the device at start-up.
DFrame& startWith(FrameHarness& h, const PatchRecord& record) {
    DFrame& f = h.startConnected();
    f.show();
    const auto dump = buildSingleDump(record, 0x01);
    h.midi.deliver(Bytes(dump.begin(), dump.end()));
    FrameHarness::settle();
    h.midi.clearLog();
    return f;
}

// One step as a user takes it, up (true) or back down.
void userStep(QWidget* control, bool up) {
    if (auto* slider = qobject_cast<QSlider*>(control))
        slider->triggerAction(up ? QAbstractSlider::SliderSingleStepAdd
                                 : QAbstractSlider::SliderSingleStepSub);
    else if (auto* box = qobject_cast<QAbstractButton*>(control))
        box->click();
    else if (auto* list = qobject_cast<QComboBox*>(control))
        QTest::keyClick(list, up ? Qt::Key_Down : Qt::Key_Up);
    FrameHarness::settle();
}

// Up unless the control stands at its top, where only down changes it.
bool upChanges(QWidget* control) {
    if (auto* slider = qobject_cast<QSlider*>(control))
        return slider->value() < slider->maximum();
    if (auto* list = qobject_cast<QComboBox*>(control))
        return list->currentIndex() < list->count() - 1;
    return true;
}

bool controllerStep(const ToneParameter& p) {
    return p.member != "AmpModel" && p.member != "EffectSel" && !p.member.empty();
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlUndoesAsTheUserWouldAndRedoes_data() {
        QTest::addColumn<QString>("member");
        for (const ToneParameter& p : toneMap())
            if (controllerStep(p) && p.member != "Drive2") // Drive2 shows with one amp model only: below
                QTest::newRow(p.member.data())
                    << QString::fromLatin1(p.member.data(), qsizetype(p.member.size()));
    }

    void everyControlUndoesAsTheUserWouldAndRedoes() {
        QFETCH(QString, member);
        const ToneParameter& p = *findParameter(member.toStdString());
        const PatchRecord start = patchShowing(p.window);

        // What the user's change sends, and what the user's change back sends.
        FrameHarness byHand;
        DFrame& g = startWith(byHand, start);
        QWidget* c = g.toneControl(p.member);
        QVERIFY(c);
        if (!c->isVisible() || !c->isEnabled())
            QSKIP("not in use with any effect");
        const bool up = upChanges(c);
        userStep(c, up);
        const QStringList change = byHand.sentHex();
        QVERIFY(!change.isEmpty());
        byHand.midi.clearLog();
        userStep(c, !up);
        const QStringList changeBack = byHand.sentHex();

        FrameHarness h;
        DFrame& f = startWith(h, start);
        QWidget* control = f.toneControl(p.member);
        const int before = controlState(control);
        const QString beside = labelBeside(control->parentWidget(), member);
        userStep(control, up);
        QCOMPARE(h.sentHex(), change);
        // Named by the words beside the control, after its effect window's name, a list by the
        // choice made too ("Reverb > Reverb Type: Room Reverb").
        const QString text = f.menuAction(CM_EDITUNDO)->text();
        const QString name = text.section(QLatin1Char(':'), 0, 0).mid(int(qstrlen("&Undo ")));
        QVERIFY2(text.startsWith(QStringLiteral("&Undo ")), qPrintable(text));
        QCOMPARE(name, QString::fromStdString(controlName(p.member)));
        QString own = name.section(QStringLiteral(" > "), -1);
        own.remove(QRegularExpression(QStringLiteral(" \\((slider|check box)\\)$")));
        QCOMPARE(own, beside);
        QCOMPARE(name.contains(QStringLiteral(" > ")), p.window != ToneWindow::Frame);
        const bool list = qobject_cast<QComboBox*>(control) != nullptr;
        QCOMPARE(text.contains(QLatin1Char(':')), list);
        h.midi.clearLog();
        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle();
        QCOMPARE(h.sentHex(), changeBack);
        QCOMPARE(controlState(control), before);
        QVERIFY(!f.menuAction(CM_EDITUNDO)->isEnabled());
        h.midi.clearLog();
        f.menuAction(CM_EDITREDO)->trigger();
        FrameHarness::settle();
        QCOMPARE(h.sentHex(), change);
        QVERIFY(f.menuAction(CM_EDITUNDO)->isEnabled());
        QVERIFY(!f.menuAction(CM_EDITREDO)->isEnabled());
    }

    // With "POD Layer" the first drive knob moves both drives: undo sends both back.
    void theDrivePairUndoesTogether() {
        PatchRecord start = patchShowing(ToneWindow::Frame);
        storeRecordField("AmpModel", kPodLayerAmpModel, start);
        FrameHarness byHand;
        DFrame& g = startWith(byHand, start);
        userStep(g.Drive, true);
        byHand.midi.clearLog();
        userStep(g.Drive, false);
        const QStringList back = byHand.sentHex();
        QCOMPARE(back.size(), 2);

        FrameHarness h;
        DFrame& f = startWith(h, start);
        userStep(f.Drive, true);
        h.midi.clearLog();
        f.menuAction(CM_EDITUNDO)->trigger();
        QCOMPARE(h.sentHex(), back);
    }

    // An effect chosen: the device loads that effect's settings, so undo sends the patch it
    // played before as one dump, and the panel shows it again.
    void aChangeTheDeviceReloadsAfterIsUndoneByTheWholePatch() {
        const PatchRecord start = patchShowing(ToneWindow::Frame);
        FrameHarness h;
        DFrame& f = startWith(h, start);
        const int effect = f.EffectSel->currentIndex();
        QTest::keyClick(f.EffectSel, effect + 1 < f.EffectSel->count() ? Qt::Key_Down : Qt::Key_Up);
        FrameHarness::settle();
        QVERIFY(f.EffectSel->currentIndex() != effect);
        QVERIFY(f.menuAction(CM_EDITUNDO)->text().startsWith(QStringLiteral("&Undo Effects: ")));
        h.midi.clearLog();
        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle();
        const auto dump = buildSingleDump(start, 0x01);
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{Bytes(dump.begin(), dump.end())});
        QVERIFY(h.sentHex(true).isEmpty());
        QCOMPARE(f.EffectSel->currentIndex(), effect);
        QCOMPARE(*f.deviceShadow(), start);
    }

    // Key presses on one control within half a second are one step; a pause makes a new one. A
    // knob on the device ends what could be redone, and is no step itself.
    void keyPressesMergeAndTheDeviceEndsRedo() {
        const PatchRecord start = patchShowing(ToneWindow::Frame);
        FrameHarness h;
        DFrame& f = startWith(h, start);
        const int bass = f.Bass->value();
        QTest::keyClick(f.Bass, Qt::Key_Up);
        QTest::keyClick(f.Bass, Qt::Key_Up);
        const int twice = f.Bass->value();
        QVERIFY(twice != bass);
        QTest::qWait(int(EditHistory::kMergeWindow.count()) + 100);
        QTest::keyClick(f.Bass, Qt::Key_Up);
        FrameHarness::settle();
        f.menuAction(CM_EDITUNDO)->trigger();
        QCOMPARE(f.Bass->value(), twice);
        f.menuAction(CM_EDITUNDO)->trigger();
        QCOMPARE(f.Bass->value(), bass);
        QVERIFY(!f.menuAction(CM_EDITUNDO)->isEnabled());
        QCOMPARE(f.menuAction(CM_EDITREDO)->text(), QStringLiteral("&Redo Bass"));

        h.midi.deliver({0xB0, findParameter("Treble")->controller, 3});
        FrameHarness::settle();
        QVERIFY(!f.menuAction(CM_EDITREDO)->isEnabled());
        QCOMPARE(f.menuAction(CM_EDITREDO)->text(), QStringLiteral("&Redo"));
        QVERIFY(!f.menuAction(CM_EDITUNDO)->isEnabled());
    }

    // A drag is one step however long it rests on the way and before it is let go.
    void aWholeDragIsOneStep() {
        FrameHarness h;
        DFrame& f = startWith(h, patchShowing(ToneWindow::Frame));
        QSlider* bass = f.Bass;
        const int start = bass->value();
        const QPoint press = testsupport::sliderThumb(bass).center();
        QList<QPoint> path; // worked out from where the thumb was pressed
        for (const int position : {start - 10, start - 20, start - 30}) {
            path << testsupport::sliderDragPoint(bass, press, position);
            QVERIFY(!path.last().isNull());
        }
        QTest::mousePress(bass, Qt::LeftButton, {}, press);
        QPoint at = press;
        for (const QPoint point : path) {
            QTest::mouseMove(bass, at = point);
            QTest::qWait(int(EditHistory::kMergeWindow.count()) + 50);
        }
        QTest::mouseRelease(bass, Qt::LeftButton, {}, at);
        FrameHarness::settle();
        QCOMPARE(bass->value(), start - 30);
        f.menuAction(CM_EDITUNDO)->trigger();
        QCOMPARE(bass->value(), start);
        QVERIFY(!f.menuAction(CM_EDITUNDO)->isEnabled());
    }

    // A press on the groove held while the slider pages on, then moved and let go, is one
    // gesture and one step, however long it is held: its undo gives back the value it started from.
    void aHeldGroovePressIsOneStep() {
        const PatchRecord start = patchShowing(ToneWindow::Frame);
        FrameHarness h;
        DFrame& f = startWith(h, start);
        QSlider* drive = f.Drive;
        const int before = drive->value();
        const QRect thumb = testsupport::sliderThumb(drive);
        const QPoint groove(thumb.center().x(), thumb.bottom() + 12);
        QTest::mousePress(drive, Qt::LeftButton, {}, groove);
        // Held past the merge window: the slider repeats its page step meanwhile.
        QTest::qWait(int(EditHistory::kMergeWindow.count()) + 300);
        QTest::mouseMove(drive, groove + QPoint(0, 3));
        QTest::qWait(int(EditHistory::kMergeWindow.count()) + 100);
        QTest::mouseRelease(drive, Qt::LeftButton, {}, groove + QPoint(0, 3));
        FrameHarness::settle();
        QVERIFY(h.sentHex(true).size() >= 2); // the first page step and at least one repeat
        QVERIFY(drive->value() != before);
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Drive"));
        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle();
        QCOMPARE(drive->value(), before);
        QCOMPARE(*f.deviceShadow(), start);
        QVERIFY(!f.menuAction(CM_EDITUNDO)->isEnabled());
    }

    // A slider that goes away while held (its window closed under the mouse) ends its gesture:
    // the next change is a step of its own.
    void aSliderHiddenWhileHeldEndsItsGesture() {
        FrameHarness h;
        DFrame& f = startWith(h, patchShowing(ToneWindow::Frame));
        const QPoint press = testsupport::sliderThumb(f.Drive).center();
        const int to = f.Drive->value() > 60 ? f.Drive->value() - 20 : f.Drive->value() + 20;
        QTest::mousePress(f.Drive, Qt::LeftButton, {}, press);
        QTest::mouseMove(f.Drive, testsupport::sliderDragPoint(f.Drive, press, to));
        FrameHarness::settle();
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Drive"));
        f.Drive->hide();
        f.Drive->show();
        QTest::keyClick(f.Bass, Qt::Key_Up);
        FrameHarness::settle();
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Bass"));
    }

    // A patch chosen from the menu is a step that ends when its read-back arrives or times out:
    // what the user changes while it is on the way is part of the change of patch, what comes
    // after it is a step of its own, a drag as much as a key press.
    void aPatchChangeEndsWithItsReadBack_data() {
        QTest::addColumn<bool>("echoed");
        QTest::addColumn<bool>("changeOnTheWay");
        QTest::newRow("read back") << true << false;
        QTest::newRow("read back, a key pressed on the way") << true << true;
        QTest::newRow("no answer from the device") << false << false;
    }

    void aPatchChangeEndsWithItsReadBack() {
        QFETCH(bool, echoed);
        QFETCH(bool, changeOnTheWay);
        const PatchRecord start = patchShowing(ToneWindow::Frame);
        PatchRecord chosen = start;
        storeRecordField("Drive", 20, chosen);
        storeRecordField("Bass", 100, chosen);
        FrameHarness h;
        DFrame& f = startWith(h, start);
        f.menuAction(CM_PATCHMANUAL + 9)->trigger(); // 3A
        FrameHarness::settle();
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Patch 3A"));
        if (changeOnTheWay) {
            QTest::keyClick(f.Bass, Qt::Key_Up);
            FrameHarness::settle();
            QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Patch 3A"));
        }
        if (echoed) {
            h.midi.deliver({0xC0, 9});
            FrameHarness::settle();
            const auto dump = buildSingleDump(chosen, 0x01);
            h.midi.deliver(Bytes(dump.begin(), dump.end()));
        } else {
            QTest::qWait(1500); // the device never answers: the step ends with the wait for it
        }
        FrameHarness::settle();
        const PatchRecord playing = echoed ? chosen : start;
        const int drive = f.Drive->value();

        // A drag right after the patch arrived, and a key press on another control.
        const QPoint press = testsupport::sliderThumb(f.Drive).center();
        const int to = drive > 60 ? drive - 30 : drive + 30;
        const QPoint point = testsupport::sliderDragPoint(f.Drive, press, to);
        QVERIFY(!point.isNull());
        QTest::mousePress(f.Drive, Qt::LeftButton, {}, press);
        QTest::mouseMove(f.Drive, point);
        QTest::mouseRelease(f.Drive, Qt::LeftButton, {}, point);
        FrameHarness::settle();
        QCOMPARE(f.Drive->value(), to);
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Drive"));

        h.midi.clearLog();
        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle();
        QCOMPARE(f.Drive->value(), drive);
        QVERIFY(h.midi.sentSysex().empty()); // the drag's own change back, no patch
        if (echoed)
            QCOMPARE(*f.deviceShadow(), playing);
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Patch 3A"));

        h.midi.clearLog();
        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle();
        const auto back = buildSingleDump(start, 0x01);
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{Bytes(back.begin(), back.end())});
        QVERIFY(!f.menuAction(CM_EDITUNDO)->isEnabled());
    }

    // The same on the built-in simulator at the cable's speed: the patch chosen, its program
    // change echoed and its patch read back, then a drag is a step of its own.
    void aDragAfterAPatchChosenOnTheSimulatorIsItsOwnStep() {
        FrameHarness scratch;
        scratch.writeConfig({0, 0, 0, 0});
        SimulatorMidiService midi;
        DFrame f(midi);
        f.SetupWindow();
        f.show();
        QTRY_VERIFY(f.deviceShadow().has_value());
        f.menuAction(CM_PATCHMANUAL + 10)->trigger(); // 3B
        QTRY_COMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 3B"));
        PatchRecord chosen{};
        midi.withDevice([&](PodDevice& pod) { chosen = pod.patch(9); });
        QTRY_VERIFY(f.deviceShadow() == chosen);
        FrameHarness::settle(50);
        const int drive = f.Drive->value();
        const QPoint press = testsupport::sliderThumb(f.Drive).center();
        const int to = drive > 60 ? drive - 25 : drive + 25;
        const QPoint point = testsupport::sliderDragPoint(f.Drive, press, to);
        QTest::mousePress(f.Drive, Qt::LeftButton, {}, press);
        QTest::mouseMove(f.Drive, point);
        QTest::mouseRelease(f.Drive, Qt::LeftButton, {}, point);
        FrameHarness::settle(50);
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Drive"));
        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle(50);
        midi.withDevice([&](PodDevice& pod) { QCOMPARE(pod.editBuffer(), chosen); });
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Patch 3B"));
    }

    // A patch chosen is the stored one: an edit marks the title, its undo clears the mark, and
    // compare plays the stored patch and then the edited sound again, each as one dump.
    void theEditedMarkAndCompareWithStored() {
        const PatchRecord stored = patchShowing(ToneWindow::Frame);
        FrameHarness h;
        DFrame& f = startWith(h, PatchRecord{});
        h.midi.deliver({0xC0, 6}); // 2B chosen on the device
        FrameHarness::settle();
        const auto dump = buildSingleDump(stored, 0x01);
        h.midi.deliver(Bytes(dump.begin(), dump.end()));
        FrameHarness::settle();
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
        QAction* compare = f.menuAction(CM_EDITCOMPARE);
        QVERIFY(!compare->isEnabled());

        const bool bright = f.Bright->isChecked();
        f.Bright->click();
        FrameHarness::settle();
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B *"));
        const PatchRecord edited = *f.deviceShadow();
        QVERIFY(compare->isEnabled());

        h.midi.clearLog();
        compare->trigger();
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{Bytes(dump.begin(), dump.end())});
        QVERIFY(compare->isChecked());
        QCOMPARE(f.Bright->isChecked(), bright);
        h.midi.clearLog();
        compare->trigger();
        const auto back = buildSingleDump(edited, 0x01);
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{Bytes(back.begin(), back.end())});
        QVERIFY(!compare->isChecked());
        QCOMPARE(f.Bright->isChecked(), !bright);
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B *"));
        QCOMPARE(f.menuAction(CM_EDITUNDO)->text(), QStringLiteral("&Undo Bright")); // compare is no step

        f.menuAction(CM_EDITUNDO)->trigger();
        FrameHarness::settle();
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
        QVERIFY(!compare->isEnabled());

        // Edited again and stored to 3A: what plays is the stored patch there, unmarked.
        f.Bright->click();
        FrameHarness::settle();
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B *"));
        testsupport::DialogWatcher location([](QWidget* d) {
            d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(8);
            testsupport::pressButton(d, "OK");
        });
        f.WmSaveToPod();
        const auto read = buildSingleDump(*f.deviceShadow(), 0x01);
        h.midi.deliver(Bytes(read.begin(), read.end()));
        FrameHarness::settle();
        QCOMPARE(location.count(), 1);
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 3A"));
        QVERIFY(!compare->isEnabled());
    }
};

QTEST_MAIN(UndoTest)
#include "undo_qtest.moc"
