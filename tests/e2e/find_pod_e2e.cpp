// Find POD on a private JACK server: amplix-podsim on channel 5 among a port that never answers
// and the built-in simulator; the button pressed as a user would, the settings saved after OK.
// With amplix-podsim gone, the built-in simulator is not taken for the device.
#include "E2eHarness.h"

#include "app/DStatusLine.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiConfig.h"
#include "support/QtTestSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace amplix;

class FindPodOnJackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string whyNot;
        if (!jack_.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));
        qputenv("AMPLIX_MIDI_API", "jack");
        QVERIFY2(decoy_.start(whyNot), whyNot.c_str());
        QVERIFY2(podsim_.start(whyNot), whyNot.c_str());
    }

    void findPodChoosesPodsimAndItsChannel() {
        // Set up wrongly: the editor listens to the decoy.
        testsupport::MessageBoxWatcher boxes;
        e2e::EditorOnMidi editor(decoy_.outputPort(), decoy_.inputPort());
        DFrame& f = *editor.frame;
        QString said;
        testsupport::DialogWatcher dialogs([&](QWidget* d) {
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ButtonFindPod")), Qt::LeftButton);
            said = d->findChild<QLabel*>(QStringLiteral("StaticFindResult"))->text();
            testsupport::pressButton(d, "OK");
        });
        f.CmSetupMidi();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(said, QStringLiteral(
                           "Found a POD (software 1.00) on channel 5: in Podsim out:out, out Podsim in:in"));

        QFile file(QString::fromLatin1(kConfigFileName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto config = decodeMidiConfig(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
        QVERIFY(config);
        QCOMPARE(config->channel, 4);
        QCOMPARE(config->inputName, podsim_.outputPort());
        QCOMPARE(config->outputName, podsim_.inputPort());

        // The editor works on the ports found.
        f.CmFileRead();
        QVERIFY(e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, e2e::kStartUpReadLimit));
        QCOMPARE(f.StatusLine->StaticOutcome->text(), QStringLiteral("Patch read"));
        // The decoy heard nothing but the two requests, if it was asked before podsim was found.
        for (const std::string& message : decoy_.messages()) {
            const QByteArray raw = QByteArray::fromHex(QByteArray::fromStdString(message));
            const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(raw.constData()),
                                                      std::size_t(raw.size()));
            QVERIFY2(message == "f000010c010001f7" || inquiryChannel(bytes), message.c_str());
        }
    }

    // Only the decoy is left to ask: the search says so and leaves the choice as it was.
    void withPodsimGoneNothingIsFound() {
        podsim_.stop();
        testsupport::MessageBoxWatcher boxes;
        const std::size_t beforeStart = decoy_.mark();
        e2e::EditorOnMidi editor(decoy_.outputPort(), decoy_.inputPort(), 2);
        DFrame& f = *editor.frame;
        // The start-up read has gone to the decoy and given up before the search begins; its
        // silence made the editor ask every channel, its own first, which the decoy ignores too.
        QVERIFY(editor.started());
        std::vector<std::string> startUp{"f000010c010001f7", "f07e020601f7"};
        for (int channel = 0; channel < 16; ++channel)
            if (channel != 2)
                startUp.push_back(QStringLiteral("f07e%1%2")
                                      .arg(channel, 2, 16, QLatin1Char('0'))
                                      .arg("0601f7")
                                      .toStdString());
        QVERIFY(
            e2e::waitUntil([&] { return decoy_.messages("recv", beforeStart).size() >= startUp.size(); }));
        QCOMPARE(decoy_.messages("recv", beforeStart), startUp);
        QTest::qWait(DFrame::kInquiryWaitMs + 200); // the replies' wait is over: nothing more comes
        const std::size_t decoyHeard = decoy_.mark();
        QString said;
        QStringList before, after;
        testsupport::DialogWatcher dialogs([&](QWidget* d) {
            const auto choice = [d] {
                QStringList texts;
                for (const char* list : {"MidiInPort", "MidiOutPort", "MidiChannel"})
                    texts << d->findChild<QComboBox*>(QString::fromLatin1(list))->currentText();
                return texts;
            };
            before = choice();
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ButtonFindPod")), Qt::LeftButton);
            said = d->findChild<QLabel*>(QStringLiteral("StaticFindResult"))->text();
            after = choice();
            static_cast<QDialog*>(d)->reject();
        });
        f.CmSetupMidi();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(said,
                 QStringLiteral("No POD answered on the one output asked. Check that both MIDI cables are "
                                "connected and the POD is switched on. The built-in Amplix POD Simulator "
                                "is there to work without a device."));
        QCOMPARE(before, (QStringList{QString::fromStdString(decoy_.outputPort()),
                                      QString::fromStdString(decoy_.inputPort()), QStringLiteral("3")}));
        QCOMPARE(after, before);
        // The decoy was asked for the edit buffer; the inquiry never followed.
        QVERIFY(e2e::waitUntil([&] { return !decoy_.messages("recv", decoyHeard).empty(); }));
        QCOMPARE(decoy_.messages("recv", decoyHeard), (std::vector<std::string>{"f000010c010001f7"}));
    }

private:
    e2e::JackServer jack_;
    e2e::PodPeer decoy_{"Decoy", {"--silent"}};
    e2e::PodPeer podsim_{"Podsim", {"--channel", "5"}, true};
};

QTEST_MAIN(FindPodOnJackTest)
#include "find_pod_e2e.moc"
