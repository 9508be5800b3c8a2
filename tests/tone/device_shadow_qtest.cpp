// The editor's copy of what the device plays, against the simulator's own edit buffer, through
// long random runs of a user's changes, knobs turned and patches chosen on the device.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "midi/SimulatorMidiService.h"
#include "support/FrameHarness.h"
#include "tone/ToneMap.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>

#include <random>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

QString hexRecord(const PatchRecord& record) {
    return QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size())).toHex(' ');
}

} // namespace

class DeviceShadowTest : public QObject {
    Q_OBJECT

private slots:
    void theShadowIsTheDevicesEditBufferAfterEveryStep_data() {
        QTest::addColumn<unsigned>("seed");
        for (const unsigned seed : {1u, 7u, 2026u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void theShadowIsTheDevicesEditBufferAfterEveryStep() {
        QFETCH(unsigned, seed);
        FrameHarness scratch;
        scratch.writeConfig({0, 0, 0, 0});
        SimulatorMidiService midi(SimulatorMidiService::Pacing::Immediate);
        DFrame f(midi);
        f.SetupWindow();
        f.show();
        const auto device = [&midi] {
            PatchRecord r{};
            midi.withDevice([&](PodDevice& pod) { r = pod.editBuffer(); });
            return r;
        };
        QTRY_VERIFY(f.deviceShadow().has_value());
        QCOMPARE(*f.deviceShadow(), device());

        std::mt19937 random(seed);
        const auto pick = [&random](std::size_t n) { return std::size_t(random() % n); };
        const std::span<const ToneParameter> rows = toneMap();
        QStringList steps;
        for (int step = 0; step < 300; ++step) {
            const std::size_t kind = pick(10);
            if (kind < 5) {
                // The user, on a control that is on screen.
                std::vector<QWidget*> shown;
                for (const ToneParameter& p : rows)
                    if (QWidget* c = f.toneControl(p.member); c && c->isVisible() && c->isEnabled())
                        shown.push_back(c);
                QWidget* control = shown[pick(shown.size())];
                steps << QStringLiteral("user %1").arg(control->objectName());
                if (auto* slider = qobject_cast<QSlider*>(control)) {
                    const QAbstractSlider::SliderAction actions[] = {
                        QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
                        QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
                        QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
                    slider->triggerAction(actions[pick(std::size(actions))]);
                } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
                    box->click();
                } else if (auto* list = qobject_cast<QComboBox*>(control)) {
                    QTest::keyClick(list, pick(2) ? Qt::Key_Down : Qt::Key_Up);
                }
            } else if (kind < 8) {
                // A knob on the device, any controller the device knows, any value.
                const ToneParameter& p = rows[pick(rows.size())];
                const auto controller =
                    pick(4) == 0 && p.secondController ? p.secondController : p.controller;
                const auto value = std::uint8_t(pick(128));
                steps << QStringLiteral("device cc %1 %2").arg(controller).arg(value);
                midi.operateDevice(
                    [&](PodDevice& pod) { return pod.turnControl(std::uint8_t(controller), value); });
            } else if (kind == 8) {
                const int program = int(pick(kLastProgram + 1));
                steps << QStringLiteral("device patch %1").arg(program);
                midi.operateDevice([&](PodDevice& pod) { return pod.choosePatch(program); });
            } else {
                const int program = int(pick(kLastProgram + 1));
                steps << QStringLiteral("menu patch %1").arg(program);
                f.CmPatchChange(CM_PATCHMANUAL + program);
            }
            FrameHarness::settle();
            // The reads the editor makes after some steps are answered before the copy must agree.
            QTRY_VERIFY2(f.deviceShadow() && *f.deviceShadow() == device(),
                         qPrintable(steps.mid(std::max<qsizetype>(0, steps.size() - 5)).join(" / ") +
                                    "\nshadow " + hexRecord(f.deviceShadow().value_or(PatchRecord{})) +
                                    "\ndevice " + hexRecord(device())));
        }
    }

    // At the cable's speed a knob turned on the device reaches the editor after the bytes' time,
    // in order after what the device was sending already.
    void aKnobOnTheDeviceAtCableSpeed() {
        FrameHarness scratch;
        scratch.writeConfig({0, 0, 0, 0});
        SimulatorMidiService midi(SimulatorMidiService::Pacing::WireSpeed);
        DFrame f(midi);
        f.SetupWindow();
        f.show();
        QTRY_VERIFY(f.deviceShadow().has_value());
        const ToneParameter& bass = *findParameter("Bass");
        midi.operateDevice([&](PodDevice& pod) { return pod.turnControl(bass.controller, 5); });
        midi.operateDevice([&](PodDevice& pod) { return pod.turnControl(bass.controller, 99); });
        QTRY_COMPARE(recordField(bass, *f.deviceShadow()), recordField(bass, [&] {
                         PatchRecord r{};
                         midi.withDevice([&](PodDevice& pod) { r = pod.editBuffer(); });
                         return r;
                     }()));
        QCOMPARE(f.Bass->value(), 127 - 99); // the panel shows the last one
    }
};

QTEST_MAIN(DeviceShadowTest)
#include "device_shadow_qtest.moc"
