// Live editing against the built-in simulator: what the user changes on screen reaches the device.
#include "app/DFrame.h"
#include "midi/SimulatorMidiService.h"
#include "tone/ToneControls.h"
#include "tone/ToneMap.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

using namespace amplix;

namespace {

constexpr int kAnswerLimitMs = 5000; // only to keep a broken build from hanging
constexpr int kReadCommand = 104;
constexpr std::size_t kEffectRecordIndex = std::size_t(kEffectRecordByte);
constexpr int kDelayEffectCode = 6;

// A frame started in a scratch folder whose settings name the simulator for both ports.
struct SimulatorFrame {
    SimulatorFrame() : previousDir(QDir::currentPath()) {
        QDir::setCurrent(dir.path());
        QFile config(dir.filePath(QStringLiteral("AMPLIX.CNF")));
        config.open(QIODevice::WriteOnly);
        config.write(QByteArray(4, '\0')); // channel 1, device 0 in and out
        config.close();
        frame = std::make_unique<DFrame>(simulator);
        frame->SetupWindow();
        frame->show();
    }
    ~SimulatorFrame() {
        frame.reset();
        QDir::setCurrent(previousDir);
    }
    PatchRecord editBuffer() {
        PatchRecord record{};
        simulator.withDevice([&](PodDevice& device) { record = device.editBuffer(); });
        return record;
    }

    QTemporaryDir dir;
    QString previousDir;
    SimulatorMidiService simulator{SimulatorMidiService::Pacing::Immediate};
    std::unique_ptr<DFrame> frame;
};

} // namespace

class SimulatorLiveTest : public QObject {
    Q_OBJECT

private slots:
    void chosenEffectComesBackInTheDump() {
        SimulatorFrame s;
        DFrame& f = *s.frame;
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, kAnswerLimitMs); // the start-up read
        QVERIFY(f.EffectSel->currentText() != QStringLiteral("Delay"));

        // Typing the first letter jumps to the first entry it begins, as a user picks it.
        f.EffectSel->setFocus();
        QTest::keyClick(f.EffectSel, Qt::Key_D);
        QCOMPARE(f.EffectSel->currentText(), QStringLiteral("Delay"));
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, kAnswerLimitMs);

        f.sysEx.fill(0);
        f.menuAction(kReadCommand)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, kAnswerLimitMs);
        QCOMPARE(classifyDump(f.sysEx), DumpKind::SinglePatch);
        QCOMPARE(readRecordByte(f.sysEx, kDumpDataOffset, kEffectRecordIndex) & 0x0F, kDelayEffectCode);
        // The panel decoded it: the delay effect, and its switch on as the device turned it on.
        QCOMPARE(f.EffectSel->currentText(), QStringLiteral("Delay"));
        QCOMPARE(controlState(f.toneControl("Delay")), 1);
    }

    void movedSliderReachesTheEditBuffer_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::newRow("main panel") << "Bass" << int(Qt::Key_Up) << 3;
        QTest::newRow("delay time, both halves") << "DelayTime" << int(Qt::Key_PageUp) << 2;
        QTest::newRow("gate threshold, nearest step") << "GateThreshold" << int(Qt::Key_PageUp) << 1;
        QTest::newRow("chorus word, under the patch's chorus") << "ChSpeed" << int(Qt::Key_Down) << 5;
    }
    void movedSliderReachesTheEditBuffer() {
        QFETCH(QString, member);
        QFETCH(int, key);
        QFETCH(int, presses);
        SimulatorFrame s;
        DFrame& f = *s.frame;
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, kAnswerLimitMs);
        const ToneParameter& p = *findParameter(member.toStdString());
        auto* slider = qobject_cast<QSlider*>(f.toneControl(p.member));
        QVERIFY(slider);
        QVERIFY(slider->isVisible());
        const int before = slider->value();

        slider->setFocus();
        for (int n = 0; n < presses; ++n)
            QTest::keyClick(slider, Qt::Key(key));
        QVERIFY(slider->value() != before);

        // The record holds what the slider now stands for, within the record's resolution.
        const PatchRecord record = s.editBuffer();
        if (p.kind == ControlKind::DelayTime) {
            QVERIFY2(
                std::abs(recordValue(p, record) - slider->value()) <= 1,
                qPrintable(QString("%1 ms stored for %2").arg(recordValue(p, record)).arg(slider->value())));
        } else {
            const int sent = controllerMessages(p, slider->value()).at(0).second;
            QVERIFY2(std::abs(recordValue(p, record) - sent) <= 1,
                     qPrintable(QString("%1 stored for %2").arg(recordValue(p, record)).arg(sent)));
        }
    }
};

QTEST_MAIN(SimulatorLiveTest)
#include "simulator_live_qtest.moc"
