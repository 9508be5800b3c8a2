// With no MIDI system at all the editor still starts, lists the simulator and works with it.
#include "app/DFrame.h"
#include "midi/MidiServiceFactory.h"
#include "support/FrameHarness.h"

#include <QTest>

using namespace amplix;

class SystemServiceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // No ALSA sequencer on these machines, and a JACK server name that nobody runs.
        qputenv("JACK_DEFAULT_SERVER", QByteArray("amplix-nobody-") + QByteArray::number(QCoreApplication::applicationPid()));
        qputenv("JACK_NO_START_SERVER", "1");
        qunsetenv("AMPLIX_MIDI_API");
    }

    void theSimulatorIsListedLastAndAnswersTheStartUpRequest() {
        auto midi = createSystemMidiService();
        QVERIFY(midi->inputCount() >= 1);
        QVERIFY(midi->outputCount() >= 1);
        QCOMPARE(midi->inputName(midi->inputCount() - 1), std::string("Amplix POD Simulator"));
        QCOMPARE(midi->outputName(midi->outputCount() - 1), std::string("Amplix POD Simulator"));

        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        {
            QFile config(dir.filePath("AMPLIX.CNF"));
            QVERIFY(config.open(QIODevice::WriteOnly));
            const char bytes[4] = {0, char(midi->inputCount() - 1), char(midi->outputCount() - 1), 0};
            config.write(bytes, 4);
        }
        {
            DFrame frame(*midi);
            frame.SetupWindow();
            QCOMPARE(frame.PODMidiSet, 1);
            QCOMPARE(frame.Waiting_for_sysex, 1);
            // At wire speed the 151-byte answer takes about 48 ms, well inside the time-out.
            QTRY_COMPARE_WITH_TIMEOUT(frame.Waiting_for_sysex, 0, 900);
            QCOMPARE(classifyDump(frame.sysEx), DumpKind::SinglePatch);
            QCOMPARE(frame.sysEx[150], std::uint8_t(0xF7));

            frame.ReadPODAll();
            QTRY_COMPARE_WITH_TIMEOUT(frame.Waiting_for_sysex, 0, 5000);
            QCOMPARE(classifyDump(frame.sysEx), DumpKind::Bank);
            QCOMPARE(frame.sysEx[5120], std::uint8_t(0xF7));
        }
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(SystemServiceTest)
#include "system_service_qtest.moc"
