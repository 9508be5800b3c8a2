// Options > MIDI Monitor on the simulator at wire speed: lines come from the backend's thread as
// the device answers, pause holds them back, Clear empties, Copy hands the text on.
#include "app/CommandIds.h"
#include "midi/DMidiMonitor.h"
#include "midi/SimulatorMidiService.h"
#include "support/FrameHarness.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

constexpr int kWaitMs = 3000;

struct MonitorRig {
    MonitorRig() {
        scratch.writeConfig({0, 0, 0, 0});
        frame = std::make_unique<DFrame>(midi);
        frame->SetupWindow();
        frame->show();
        // The start-up read answered, the monitor opens on a quiet link.
        QTRY_VERIFY_WITH_TIMEOUT(frame->deviceShadow().has_value(), kWaitMs);
    }
    ~MonitorRig() { frame.reset(); }

    DMidiMonitor* open() {
        frame->menuAction(CM_MIDIMONITOR)->trigger();
        return frame->MonitorWindow;
    }
    QString deviceName() {
        QString name;
        midi.withDevice(
            [&](PodDevice& d) { name = QString::fromLatin1(dumpName(d.editBufferDump()).c_str()); });
        return name.remove(QRegularExpression(QStringLiteral(" +$"))); // the device's padding
    }
    QStringList lines(DMidiMonitor* w) const { return w->text().split('\n', Qt::SkipEmptyParts); }
    // The lines without their times, which are checked apart.
    QStringList said(DMidiMonitor* w) const {
        QStringList out;
        for (const QString& line : lines(w))
            out << line.mid(13);
        return out;
    }

    FrameHarness scratch; // the start-up folder
    SimulatorMidiService midi{SimulatorMidiService::Pacing::WireSpeed};
    std::unique_ptr<DFrame> frame;
};

QPushButton* button(DMidiMonitor* w, const char* name) {
    return w->findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class MidiMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void optionsMenuOpensOneWindowThatListensOnlyWhileOpen() {
        MonitorRig rig;
        QAction* item = rig.frame->menuAction(CM_MIDIMONITOR);
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("MIDI M&onitor"));
        QVERIFY(rig.frame->menuBar()->actions().at(3)->menu()->actions().contains(item)); // Options
        QVERIFY(!rig.frame->midiMonitorLog().listening());
        DMidiMonitor* w = rig.open();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("MIDI Monitor"));
        QVERIFY(rig.frame->midiMonitorLog().listening());
        QCOMPARE(w->text(), QString());
        w->close();
        QVERIFY(!rig.frame->midiMonitorLog().listening());
        // Closed, nothing is kept: a change made meanwhile is not shown when it opens again.
        rig.frame->SendControlChange(13, 100);
        QCOMPARE(rig.open(), w);
        FrameHarness::settle(50);
        QCOMPARE(w->text(), QString());
    }

    void linesComeForAControllerAndAPatchChosenOnTheDevice() {
        MonitorRig rig;
        DMidiMonitor* w = rig.open();
        rig.frame->Drive->setFocus();
        rig.frame->Drive->setValue(20);
        rig.frame->UpdateDrive(); // as the slider's handler runs it
        QTRY_COMPARE_WITH_TIMEOUT(rig.said(w), QStringList{QStringLiteral("out CC 13 Drive 107")}, kWaitMs);
        const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d out CC"));
        QVERIFY2(time.match(rig.lines(w).at(0)).hasMatch(), qPrintable(rig.lines(w).at(0)));

        // Chosen on the device: its program change comes in, the editor reads the patch.
        rig.midi.operateDevice([](PodDevice& d) { return d.choosePatch(9); });
        const QStringList expected = {
            QStringLiteral("out CC 13 Drive 107"),
            QStringLiteral("in Program 9 (3A)"),
            QStringLiteral("out SysEx 8 bytes: edit buffer request"),
            QStringLiteral("in SysEx 151 bytes: patch '%1'").arg(rig.deviceName()),
        };
        QTRY_COMPARE_WITH_TIMEOUT(rig.said(w), expected, kWaitMs);
    }

    void pauseHoldsLinesBackClearEmptiesAndCopyTakesTheText() {
        MonitorRig rig;
        DMidiMonitor* w = rig.open();
        rig.frame->SendControlChange(14, 5);
        QTRY_COMPARE_WITH_TIMEOUT(rig.said(w), QStringList{QStringLiteral("out CC 14 Bass 5")}, kWaitMs);

        QTest::mouseClick(button(w, "Pause"), Qt::LeftButton);
        QVERIFY(w->paused());
        QVERIFY(!rig.frame->midiMonitorLog().listening());
        rig.frame->SendControlChange(15, 6);
        rig.midi.operateDevice([](PodDevice& d) { return d.choosePatch(2); });
        FrameHarness::settle(300);
        QCOMPARE(rig.said(w), QStringList{QStringLiteral("out CC 14 Bass 5")});

        QTest::mouseClick(button(w, "Pause"), Qt::LeftButton);
        rig.frame->SendControlChange(16, 7);
        QTRY_COMPARE_WITH_TIMEOUT(rig.said(w).size(), 2, kWaitMs);
        QCOMPARE(rig.said(w).at(1), QStringLiteral("out CC 16 Treble 7"));

        QApplication::clipboard()->clear();
        QTest::mouseClick(button(w, "Copy"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), w->text());
        QVERIFY(QApplication::clipboard()->text().endsWith(QStringLiteral(" out CC 16 Treble 7")));

        QTest::mouseClick(button(w, "Clear"), Qt::LeftButton);
        QCOMPARE(w->text(), QString());
        rig.frame->SendControlChange(17, 8);
        QTRY_COMPARE_WITH_TIMEOUT(rig.said(w), QStringList{QStringLiteral("out CC 17 Volume 8")}, kWaitMs);
    }

    void keepsTheLastTenThousandLinesAndSaysWhatItLeftOut() {
        MonitorRig rig;
        DMidiMonitor* w = rig.open();
        // A controller the device ignores, so nothing comes back in between.
        for (int i = 0; i < DMidiMonitor::kMaxLines + 10; ++i)
            rig.frame->SendShortMessage(0xB0, 99, std::uint8_t(i % 128));
        FrameHarness::settle();
        const QStringList lines = rig.lines(w);
        QCOMPARE(lines.size(), DMidiMonitor::kMaxLines);
        // The log keeps 10,000 of the 10,010; of those the window shows the newest 9,999.
        QCOMPARE(lines.first(), QStringLiteral("(11 messages not shown: they came faster than shown)"));
        QCOMPARE(rig.said(w).at(1), QStringLiteral("out CC 99 11"));
        QCOMPARE(rig.said(w).last(), QStringLiteral("out CC 99 25")); // 10009 % 128
        // Later lines push the oldest out, one for one.
        rig.frame->SendShortMessage(0xB0, 99, 1);
        FrameHarness::settle();
        QCOMPARE(rig.lines(w).size(), DMidiMonitor::kMaxLines);
        QCOMPARE(rig.said(w).first(), QStringLiteral("out CC 99 11"));
    }
};

QTEST_MAIN(MidiMonitorTest)
#include "midi_monitor_qtest.moc"
