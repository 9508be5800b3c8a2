// A bank on its way to the device at cable speed: the window repaints, shows that it is busy and
// handles nothing else until the last byte is out; what arrived meanwhile follows in order.
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "device/FactoryPatches.h"
#include "midi/SimulatorMidiService.h"
#include "patch/SysexFormat.h"
#include "support/FrameHarness.h"
#include "support/QtTestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <chrono>

using namespace amplix;
using Clock = std::chrono::steady_clock;
using testsupport::FrameHarness;

namespace {

// Counts the frame's paint events while it is switched on.
struct PaintCounter : QObject {
    bool counting = false;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (counting && event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

std::array<PatchRecord, kPatchLocations> renamedBank() {
    std::array<PatchRecord, kPatchLocations> bank;
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        bank[n] = factoryPatches()[kPatchLocations - 1 - n];
        const std::string name = "Sent " + std::to_string(n);
        std::fill(bank[n].begin() + kNameOffset, bank[n].end(), ' ');
        std::copy(name.begin(), name.end(), bank[n].begin() + kNameOffset);
    }
    return bank;
}

} // namespace

class BusySendTest : public QObject {
    Q_OBJECT

private slots:
    void aBankSendKeepsTheWindowAliveAndEverythingElseWaits() {
        FrameHarness scratch;
        scratch.writeConfig({0, 0, 0, 0});
        SimulatorMidiService midi; // at the speed of the cable
        DFrame f(midi);
        f.SetupWindow();
        f.show();
        QTRY_COMPARE(f.Waiting_for_sysex, 0);
        const int driveBefore = f.Drive->value();

        const auto bank = renamedBank();
        const auto dump = buildBankDump(bank);
        std::copy(dump.begin(), dump.end(), f.sysEx.begin());
        testsupport::DialogWatcher warning(
            [](QWidget* d) { d->findChild<QPushButton*>(QStringLiteral("OK"))->click(); });

        // While the bank goes: two controllers from the device and a close of the window arrive;
        // the window is asked to repaint.
        PaintCounter paints;
        f.installEventFilter(&paints);
        const MidiHandle input = f.HPODMidiIn;
        int ticks = 0, busyTicks = 0, driveMoved = 0, progressShown = 0;
        QList<int> counted;
        bool closedEarly = false;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (!f.sendingSysex())
                return;
            if (ticks++ == 0) {
                paints.counting = true;
                for (int value : {10, 20})
                    QCoreApplication::postEvent(
                        &f,
                        new MidiInputEvent(MM_MIM_DATA, input, packShortMessage(kControlChange, 13, value)));
                f.close();
            }
            f.update();
            busyTicks +=
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            driveMoved += f.Drive->value() != driveBefore;
            // After half a second a bar counts the bytes on their way. Once the cable could have
            // carried them all it waits for the send to return (a slow machine may see that).
            QProgressBar* bar = f.StatusLine->TransferProgress;
            if (bar->isVisible() && bar->maximum() != 0) {
                ++progressShown;
                counted << bar->value();
                QCOMPARE(bar->maximum(), int(kBankDumpSize));
                QCOMPARE(bar->text(), QStringLiteral("%1 of 5121 bytes").arg(bar->value()));
            }
            closedEarly = closedEarly || !f.isVisible();
        });
        tick.start(20);

        const auto start = Clock::now();
        QVERIFY(f.SendBankToPod());
        const auto took = Clock::now() - start;
        tick.stop();
        paints.counting = false;

        // The send returned once the last byte was on the cable.
        QVERIFY(took >= cableTime(kBankDumpSize));
        QVERIFY(ticks > 20);
        QVERIFY(paints.paints > 0);
        QVERIFY(busyTicks > 0);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(progressShown > 0);
        QVERIFY(counted.first() >= 1000 && counted.last() > counted.first() && counted.last() <= 5121);
        QVERIFY(!f.StatusLine->TransferProgress->isVisible());
        QCOMPARE(f.StatusLine->StaticOutcome->text(), QStringLiteral("Bank sent to the POD"));
        QCOMPARE(driveMoved, 0);
        QVERIFY(!closedEarly);
        midi.withDevice([&](PodDevice& pod) {
            for (std::size_t n = 0; n < kPatchLocations; ++n)
                QCOMPARE(pod.patch(n), bank[n]);
        });

        // Then, in the order they came: the controllers (the later one wins), and the close.
        QTRY_VERIFY(!f.isVisible());
        QCOMPARE(f.Drive->value(), 127 - 20);
        QCOMPARE(f.Waiting_for_sysex, 1); // the read-back request went out after the bank
    }

    // Save All waits 1.6 s for the bank: busy, a bar counting, then the bank and its save
    // dialog, which proposes a name.
    void aBankReadShowsItsProgressUntilItIsHere() {
        FrameHarness scratch;
        scratch.writeConfig({0, 0, 0, 0});
        SimulatorMidiService midi;
        DFrame f(midi);
        f.SetupWindow();
        f.show();
        QTRY_COMPARE(f.Waiting_for_sysex, 0);

        QString proposed;
        testsupport::DialogWatcher save([&](QWidget* d) {
            proposed = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            static_cast<QDialog*>(d)->reject();
        });
        f.CmFileSave_All();
        QCOMPARE(f.StatusLine->StaticOutcome->text(), QStringLiteral("Reading the bank from the POD"));
        QVERIFY(!f.StatusLine->TransferProgress->isVisible()); // not yet: it may be quick
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::overrideCursor() &&
                                     QApplication::overrideCursor()->shape() == Qt::WaitCursor,
                                 1000);
        QTRY_VERIFY_WITH_TIMEOUT(f.StatusLine->TransferProgress->isVisible(), 1000);
        const int early = f.StatusLine->TransferProgress->value();
        QTRY_VERIFY(f.StatusLine->TransferProgress->value() > early || !f.Waiting_for_sysex);

        QTRY_COMPARE_WITH_TIMEOUT(save.count(), 1, 5000);
        QCOMPARE(proposed, QStringLiteral("POD bank.syx"));
        QCOMPARE(f.StatusLine->StaticOutcome->text(), QStringLiteral("Bank read"));
        QVERIFY(!f.StatusLine->TransferProgress->isVisible());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(BusySendTest)
#include "busy_send_qtest.moc"
