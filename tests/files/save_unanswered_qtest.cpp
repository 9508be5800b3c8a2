// File > Save when the device does not answer: the editor offers the sound it last knew.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "midi/DeviceInquiry.h"
#include "support/FrameHarness.h"
#include "tone/ToneMap.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace amplix;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::readFileBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

const QString kQuestion =
    QStringLiteral("The POD did not answer. Save the sound as the editor last knew it?");
const QString kNoAnswer = QStringLiteral("No answer from the POD: check both MIDI cables");
constexpr std::uint8_t kByte7 = 0x42; // what FrameHarness's dump carries
constexpr int kPastTimeOutMs = DFrame::kEditBufferTimeoutMs + 300;

bool sentInquiry(const FrameHarness& h) {
    for (const auto& sysex : h.midi.sentSysex())
        if (inquiryChannel(sysex))
            return true;
    return false;
}

} // namespace

class SaveUnansweredTest : public QObject {
    Q_OBJECT

private slots:
    // Yes saves the dump of what the device plays as the editor knows it: the last dump read
    // with the user's edit since, byte 7 as the device sent it. No saves nothing; either way
    // the request ends as an unanswered one always has (status line, the channel inquiry).
    void theLastKnownSoundIsOfferedAndSavedOnYes_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("partAnswered"); // some bytes came, not the whole dump
        QTest::newRow("no answer, Yes") << true << false;
        QTest::newRow("no answer, No") << false << false;
        QTest::newRow("part of an answer, Yes") << true << true;
    }
    void theLastKnownSoundIsOfferedAndSavedOnYes() {
        QFETCH(bool, yes);
        QFETCH(bool, partAnswered);
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        f.CmFileRead();
        h.answerWithSingleDump(7);
        QVERIFY(f.deviceShadow());
        const std::uint8_t drive = findParameter("Drive")->controller;
        f.SendControlChange(drive, 100);
        PatchRecord expected{};
        expected[8] = 7;
        applyController(expected, drive, 100);
        QCOMPARE(f.deviceShadow().value(), expected);

        const QString path = h.dir.filePath(QStringLiteral("last known.pod"));
        testsupport::FileDialogAnswers files;
        files.paths = {path};
        MessageBoxWatcher boxes;
        boxes.answerWith(yes ? QStringLiteral("&Yes") : QStringLiteral("&No"));
        h.midi.clearLog();
        f.menuAction(CM_FILESAVE)->trigger();
        if (partAnswered)
            h.midi.deliver({0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01, kByte7, 0x00, 0x05});
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 1, kPastTimeOutMs + 2000);
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Amplix 32"));
        QCOMPARE(boxes.seen()[0].text, kQuestion);
        FrameHarness::settle(50);

        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(f.Waiting_for_sysex, 0);
        QCOMPARE(QFile::exists(path), yes);
        if (yes) {
            const auto dump = buildSingleDump(expected, kByte7);
            QCOMPARE(readFileBytes(path), Bytes(dump.begin(), dump.end()));
            QCOMPARE(f.StatusLine->StaticOutcome->text(), QStringLiteral("Patch saved to last known.pod"));
        } else {
            QCOMPARE(f.StatusLine->StaticOutcome->text(), kNoAnswer);
            QCOMPARE(files.paths.size(), 1); // no file dialog
        }
        QCOMPARE(sentInquiry(h), !partAnswered);
        QCOMPARE(boxes.seen().size(), 1);
    }

    // Before any dump the editor knows no sound: the time-out ends as it always has.
    void withoutAKnownSoundNothingIsAsked() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        QVERIFY(!f.deviceShadow());
        MessageBoxWatcher boxes;
        testsupport::FileDialogAnswers files;
        files.paths = {h.dir.filePath(QStringLiteral("never.pod"))};
        f.menuAction(CM_FILESAVE)->trigger();
        QTest::qWait(kPastTimeOutMs);
        FrameHarness::settle(50);
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(files.paths.size(), 1);
        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(f.StatusLine->StaticOutcome->text(), kNoAnswer);
        QVERIFY(sentInquiry(h));
    }

    // A read for anything but a save asks nothing when it goes unanswered.
    void aPlainReadUnansweredAsksNothing() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        f.CmFileRead();
        h.answerWithSingleDump(7);
        QVERIFY(f.deviceShadow());
        MessageBoxWatcher boxes;
        f.menuAction(CM_FILEREAD)->trigger();
        QTest::qWait(kPastTimeOutMs);
        FrameHarness::settle(50);
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(f.StatusLine->StaticOutcome->text(), kNoAnswer);
    }
};

QTEST_MAIN(SaveUnansweredTest)
#include "save_unanswered_qtest.moc"
