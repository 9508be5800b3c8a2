// The status line's left part on private JACK servers: amplix-podsim gone and back, and a
// device on another channel found by the device inquiry.
#include "E2eHarness.h"

#include "app/CommandIds.h"
#include "app/DStatusLine.h"
#include "midi/DeviceWatch.h"
#include "support/QtTestSupport.h"

#include <QLabel>
#include <QTest>

#include <unistd.h>

using namespace amplix;
using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

namespace {
constexpr milliseconds kEditTimeoutLimit{4000}; // the edit-buffer request's own 1000 ms, and slack
} // namespace

namespace QTest {
template <> char* toString(const Lines& lines) {
    QStringList list;
    for (const auto& line : lines)
        list << QString::fromStdString(line);
    return qstrdup(qPrintable(list.join(QLatin1Char('\n'))));
}
} // namespace QTest

class DeviceStatusOnJackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string whyNot;
        e2e::JackServer jack;
        if (!jack.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));
        qputenv("AMPLIX_MIDI_API", "jack");
    }
    void init() { boxes_.clear(); }

    // amplix-podsim ends and starts again while nobody touches the editor: the status line says
    // its ports are gone, then back, then names them again. A look costs little.
    void theStatusLineFollowsTheDeviceGoingAndComingBack() {
        std::string whyNot;
        e2e::JackServer jack;
        QVERIFY2(jack.start(whyNot), whyNot.c_str());
        const std::string name = "podsim-gone-" + std::to_string(getpid());
        auto podsim = std::make_unique<e2e::PodPeer>(name, Lines{}, true);
        QVERIFY2(podsim->start(whyNot), whyNot.c_str());
        e2e::EditorOnMidi editor(podsim->outputPort(), podsim->inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(editor.started());
        const auto connection = [&] {
            const QLabel* label = f.StatusLine->StaticConnection;
            return (label->toolTip().isEmpty() ? label->text() : label->toolTip()).toStdString();
        };
        const std::string ports = "POD on " + name + " out (in) and " + name + " in (out), channel 1";
        QCOMPARE(connection(), ports);

        constexpr int kLooks = 50;
        const auto before = e2e::Clock::now();
        for (int n = 0; n < kLooks; ++n)
            f.midiService().lookAtDevices();
        const auto each = std::chrono::duration<double, std::micro>(e2e::Clock::now() - before) / kLooks;
        qInfo("a look at the devices on JACK with both ports open: %.0f us", each.count());

        podsim->stop();
        const int within = 3 * DeviceWatch::kLookIntervalMs;
        QTRY_COMPARE_WITH_TIMEOUT(
            connection(), name + " in:in is not connected. " + name + " out:out is not connected.", within);
        podsim = std::make_unique<e2e::PodPeer>(name, Lines{}, true);
        QVERIFY2(podsim->start(whyNot), whyNot.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(connection().ends_with(" is back."), within);
        QTRY_COMPARE_WITH_TIMEOUT(connection(), ports, DeviceWatch::kBackShownMs + within);
        f.CmFileRead();
        QVERIFY(e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, kEditTimeoutLimit));
        QCOMPARE(f.StatusLine->StaticOutcome->text(), QStringLiteral("Patch read"));
        QVERIFY(boxes_.seen().isEmpty());
    }

    // amplix-podsim set to channel 5, the editor to channel 1: the patch chosen is not followed,
    // the device inquiry goes out once on every channel, the editor's first, podsim answers on
    // channel 5 and the status line says so.
    void aDeviceOnAnotherChannelIsFoundByTheInquiry() {
        std::string whyNot;
        e2e::JackServer jack;
        QVERIFY2(jack.start(whyNot), whyNot.c_str());
        e2e::PodPeer podsim("podsim-ch5-" + std::to_string(getpid()), Lines{"--channel", "5"}, true);
        QVERIFY2(podsim.start(whyNot), whyNot.c_str());
        e2e::EditorOnMidi editor(podsim.outputPort(), podsim.inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(editor.started()); // the dump request has no channel: it is answered
        const std::size_t from = podsim.mark();
        f.CmPatchChange(CM_PATCHMANUAL + 3);
        QTRY_COMPARE_WITH_TIMEOUT(
            f.StatusLine->StaticConnection->text(),
            QStringLiteral("The POD answers on channel 5; the editor uses channel 1: Options, Midi Setup"),
            DFrame::kEditBufferTimeoutMs + 2000);
        Lines expected{"c003"};
        for (int channel : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
            expected.push_back(
                QStringLiteral("f07e%1%2").arg(channel, 2, 16, QLatin1Char('0')).arg("0601f7").toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(podsim.messages("recv", from), expected, 2000);
        QVERIFY(boxes_.seen().isEmpty());
    }

private:
    testsupport::MessageBoxWatcher boxes_;
};

QTEST_MAIN(DeviceStatusOnJackTest)
#include "device_status_e2e.moc"
