// A bank on its way to the device at cable speed: the window repaints, shows that it is busy and
// handles nothing else until the last byte is out; what arrived meanwhile follows in order.
#include "app/DFrame.h"
#include "device/FactoryPatches.h"
#include "midi/SimulatorMidiService.h"
#include "patch/SysexFormat.h"
#include "support/FrameHarness.h"
#include "support/QtTestSupport.h"

#include <QApplication>
#include <QCursor>
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
        int ticks = 0, busyTicks = 0, driveMoved = 0;
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
};

QTEST_MAIN(BusySendTest)
#include "busy_send_qtest.moc"
