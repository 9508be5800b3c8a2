// Choosing amp model and effect on the panel: which windows and boxes follow, what goes to the device.
#include "app/DFrame.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DDelay.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"
#include "tone/ToneControls.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

constexpr int kChannel = 5;
constexpr int kLinkAmpModelItem = 146;
constexpr int kReadPodSettingsItem = 104;
const std::vector<std::uint8_t> kEditRequest = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0xF7};

QString hexBytes(const std::vector<std::uint8_t>& bytes) {
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(' ');
}

QString cc(int controller, int value) {
    return hexBytes({std::uint8_t(0xB0 | kChannel), std::uint8_t(controller), std::uint8_t(value)});
}

// Everything sent, in order, short messages and SysEx alike.
QStringList sentLog(const FrameHarness& h) {
    QStringList out;
    for (const auto& s : h.midi.sent)
        out << hexBytes(s.bytes);
    return out;
}

// A reply that is no dump: it ends the outstanding request and leaves the panel as it is.
void releaseRequest(FrameHarness& h) {
    h.midi.deliver({0xF0, 0x43, 0x10, 0x01, 0xF7});
    FrameHarness::settle();
}

DFrame& startPanel(FrameHarness& h) {
    DFrame& f = h.startConnected(kChannel);
    f.show();
    releaseRequest(h);
    h.midi.clearLog();
    return f;
}

void chooseByKeyboard(QComboBox* list, int index) {
    const bool fromBelow = index == 0;
    setControlState(list, fromBelow ? 1 : index - 1);
    list->setFocus();
    QTest::keyClick(list, fromBelow ? Qt::Key_Up : Qt::Key_Down);
}

void chooseInPopup(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex entry = list->model()->index(index, 0);
    view->scrollTo(entry);
    const QPoint at = view->visualRect(entry).center();
    // The popup ignores a release that comes within a double-click time of its opening.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->window()->isVisible());
}

// The five windows that share the modulation slot, by the name the tables use.
QList<QPair<QString, QWidget*>> slotWindows(DFrame& f) {
    return {{"chorus", f.ChorusWindow},
            {"rotary", f.RotaryWindow},
            {"tremolo", f.TremoloWindow},
            {"swell", f.SwellWindow},
            {"compressor", f.CompressorWindow}};
}

QStringList visibleSlotWindows(DFrame& f) {
    QStringList shown;
    for (const auto& [name, window] : slotWindows(f))
        if (window->isVisible())
            shown << name;
    return shown;
}

// Puts the panel in the opposite of what row should give, so that every part of it must change.
void prepareOpposite(DFrame& f, bool delay, bool tremChor) {
    for (const auto& entry : slotWindows(f))
        entry.second->show();
    setControlState(f.DelayWindow->Delay, delay ? 0 : 1);
    setControlState(f.TremChor, tremChor ? 0 : 1);
    f.TremChor->setEnabled(!tremChor);
}

struct EffectRowCase {
    int index;
    const char* entry;
    int code;
    bool delay;
    bool tremChor;
    const char* window; // "" for none
};
const EffectRowCase kEffectRows[] = {
    {0, "Bypass", 10, false, false, ""},
    {1, "Compressor", 11, false, false, "compressor"},
    {2, "Tremolo", 9, false, true, "tremolo"},
    {3, "Chorus 1", 8, false, true, "chorus"},
    {4, "Chorus 2", 0, false, true, "chorus"},
    {5, "Flanger 1", 1, false, true, "chorus"},
    {6, "Flanger 2", 3, false, true, "chorus"},
    {7, "Rotary", 2, false, true, "rotary"},
    {8, "Delay", 6, true, false, ""},
    {9, "Delay/Compressor", 7, true, false, "compressor"},
    {10, "Delay/Tremolo", 5, true, true, "tremolo"},
    {11, "Delay/Chorus 1", 4, true, true, "chorus"},
    {12, "Delay/Chorus 2", 12, true, true, "chorus"},
    {13, "Delay/Flanger 1", 13, true, true, "chorus"},
    {14, "Delay/Flanger 2", 15, true, true, "chorus"},
    {15, "Delay/Swell", 14, true, false, "swell"},
};

void addEffectColumns() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("delay");
    QTest::addColumn<bool>("tremChor");
    QTest::addColumn<QStringList>("window");
}

QStringList windowList(const char* window) {
    return *window ? QStringList{QString::fromLatin1(window)} : QStringList{};
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void choosingAnEffectSetsTheSlotTheBoxesAndReads_data() {
        addEffectColumns();
        QTest::addColumn<bool>("popup");
        for (const auto& r : kEffectRows) {
            for (bool popup : {false, true})
                QTest::addRow("%s, %s", r.entry, popup ? "popup" : "keys")
                    << r.index << QString::fromLatin1(r.entry) << r.code << r.delay << r.tremChor
                    << windowList(r.window) << popup;
        }
    }
    void choosingAnEffectSetsTheSlotTheBoxesAndReads() {
        QFETCH(int, index);
        QFETCH(QString, entry);
        QFETCH(int, code);
        QFETCH(bool, delay);
        QFETCH(bool, tremChor);
        QFETCH(QStringList, window);
        QFETCH(bool, popup);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        prepareOpposite(f, delay, tremChor);

        if (popup)
            chooseInPopup(f.EffectSel, index);
        else
            chooseByKeyboard(f.EffectSel, index);
        FrameHarness::settle();

        QCOMPARE(f.EffectSel->currentText(), entry);
        QCOMPARE(visibleSlotWindows(f), window);
        QCOMPARE(f.DelayWindow->Delay->isChecked(), delay);
        QCOMPARE(f.TremChor->isChecked(), tremChor);
        QCOMPARE(f.TremChor->isEnabled(), tremChor);
        QCOMPARE(sentLog(h), (QStringList{cc(19, code), hexBytes(kEditRequest)}));
    }

    void aDeviceEffectCodeShowsItsRowAndSendsNothing_data() {
        addEffectColumns();
        for (const auto& r : kEffectRows)
            QTest::addRow("code %d, %s", r.code, r.entry) << r.index << QString::fromLatin1(r.entry) << r.code
                                                          << r.delay << r.tremChor << windowList(r.window);
    }
    void aDeviceEffectCodeShowsItsRowAndSendsNothing() {
        QFETCH(int, index);
        QFETCH(QString, entry);
        QFETCH(int, code);
        QFETCH(bool, delay);
        QFETCH(bool, tremChor);
        QFETCH(QStringList, window);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        prepareOpposite(f, delay, tremChor);
        setControlState(f.EffectSel, (index + 5) % 16);

        f.PodChangedEffects(code);
        FrameHarness::settle();

        QCOMPARE(f.EffectSel->currentIndex(), index);
        QCOMPARE(f.EffectSel->currentText(), entry);
        QCOMPARE(visibleSlotWindows(f), window);
        QCOMPARE(f.DelayWindow->Delay->isChecked(), delay);
        QCOMPARE(f.TremChor->isChecked(), tremChor);
        QCOMPARE(f.TremChor->isEnabled(), tremChor);
        QVERIFY(h.midi.sent.empty());
        QCOMPARE(f.Waiting_for_sysex, 0);
    }

    void linkedAmpModelGoesOutAsAControllerAndIsReadBack() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Drive2->hide();

        chooseByKeyboard(f.AmpModel, 4);
        FrameHarness::settle();
        QCOMPARE(f.AmpModel->currentText(), QStringLiteral("POD Layer"));
        QVERIFY(f.Drive2->isVisible());
        QCOMPARE(sentLog(h), (QStringList{cc(12, 4), hexBytes(kEditRequest)}));

        releaseRequest(h);
        h.midi.clearLog();
        f.AmpModel->setFocus();
        QTest::keyClick(f.AmpModel, Qt::Key_Home);
        FrameHarness::settle();
        QCOMPARE(f.AmpModel->currentText(), QStringLiteral("Tube Preamp"));
        QVERIFY(!f.Drive2->isVisible());
        QVERIFY(f.StaticDrive2->isVisible()); // the label stays
        QCOMPARE(sentLog(h), (QStringList{cc(12, 0), hexBytes(kEditRequest)}));
    }

    // Unlinked, the amp model goes into the device's own patch by a read-modify-write round trip:
    // the dump that answers the read goes back with only the amp model changed.
    void unlinkedAmpModelIsWrittenIntoTheDumpAndSentBack_data() {
        QTest::addColumn<bool>("readWaiting");
        QTest::addColumn<bool>("timesOut");
        QTest::newRow("answers the read it starts") << false << false;
        QTest::newRow("rides on the read already waiting") << true << false;
        QTest::newRow("dropped when the read times out") << false << true;
    }
    void unlinkedAmpModelIsWrittenIntoTheDumpAndSentBack() {
        QFETCH(bool, readWaiting);
        QFETCH(bool, timesOut);
        FrameHarness h;
        DFrame& f = h.startConnected(kChannel);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (!readWaiting)
            releaseRequest(h);
        h.midi.clearLog();
        f.menuAction(kLinkAmpModelItem)->trigger();
        QVERIFY(!f.menuAction(kLinkAmpModelItem)->isChecked());
        QCOMPARE(f.StaticAmpModel->text(), QStringLiteral("Amp Model: (UnLinked)"));

        chooseInPopup(f.AmpModel, 12);
        FrameHarness::settle();
        QCOMPARE(f.AmpModel->currentText(), QStringLiteral("Brit Hi Gain"));
        QVERIFY(!f.Drive2->isVisible());
        QCOMPARE(sentLog(h), readWaiting ? QStringList{} : QStringList{hexBytes(kEditRequest)});

        PatchRecord record{};
        for (std::size_t k = 0; k < kRecordSize; ++k)
            record[k] = std::uint8_t(0x11 + 7 * k);
        record[8] = 0x1B; // the device's current amp model, "Modern Hi Gain 2"
        const auto built = buildSingleDump(record, 0x42);
        const std::vector<std::uint8_t> dump(built.begin(), built.end());
        QCOMPARE(dump[24], std::uint8_t(0x01));
        QCOMPARE(dump[25], std::uint8_t(0x0B));
        std::vector<std::uint8_t> expected = dump;
        expected[24] = 0x00;
        expected[25] = 0x0C;

        if (timesOut) {
            QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 3000);
            QCOMPARE(f.AmpModel->currentText(), QStringLiteral("Brit Hi Gain"));
        } else {
            h.midi.clearLog();
            h.midi.deliver(dump);
            FrameHarness::settle();
            QCOMPARE(sentLog(h), QStringList{hexBytes(expected)});
        }

        // Done once: the next read brings a dump that stays with the editor.
        h.midi.clearLog();
        f.menuAction(kReadPodSettingsItem)->trigger();
        QCOMPARE(sentLog(h), QStringList{hexBytes(kEditRequest)});
        h.midi.deliver(dump);
        FrameHarness::settle();
        QCOMPARE(sentLog(h), QStringList{hexBytes(kEditRequest)});
    }

    void relinkedAmpModelSendsItsControllerAgain() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.menuAction(kLinkAmpModelItem)->trigger();
        f.menuAction(kLinkAmpModelItem)->trigger();
        QVERIFY(f.menuAction(kLinkAmpModelItem)->isChecked());
        chooseByKeyboard(f.AmpModel, 31);
        FrameHarness::settle();
        QCOMPARE(sentLog(h), (QStringList{cc(12, 31), hexBytes(kEditRequest)}));
    }

    void theRotaryWindowChecksTremChorWithoutSendingIt() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        QCoreApplication::postEvent(&f, new FrameMessage(WM_CHKTREMCHOR));
        FrameHarness::settle();
        QVERIFY(f.TremChor->isChecked());
        QVERIFY(h.midi.sent.empty());

        // The same message, as the user moving the rotary depth causes it.
        setControlState(f.TremChor, 0);
        f.RotaryWindow->RotaryDepth->setFocus();
        QTest::keyClick(f.RotaryWindow->RotaryDepth, Qt::Key_End);
        FrameHarness::settle();
        QVERIFY(f.TremChor->isChecked());
        for (const QString& sent : sentLog(h))
            QCOMPARE(sent, cc(1, 0));
        QVERIFY(!h.midi.sent.empty());
    }

    void aHiddenEffectWindowKeepsItsSettings() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        DChorus* chorus = f.ChorusWindow;

        chooseByKeyboard(f.EffectSel, 5); // "Flanger 1"
        QVERIFY(chorus->isVisible());
        setControlState(chorus->ChSpeed, 40);
        setControlState(chorus->ChDepth, 3);
        setControlState(chorus->ChFeedback, 90);
        setControlState(chorus->ChPreDelay, 117);

        chooseInPopup(f.EffectSel, 2); // "Tremolo"
        QVERIFY(!chorus->isVisible());
        QVERIFY(f.TremoloWindow->isVisible());
        chooseInPopup(f.EffectSel, 5);
        QVERIFY(chorus->isVisible());
        QCOMPARE(chorus->ChSpeed->value(), 40);
        QCOMPARE(chorus->ChDepth->value(), 3);
        QCOMPARE(chorus->ChFeedback->value(), 90);
        QCOMPARE(chorus->ChPreDelay->value(), 117);
    }
};

QTEST_MAIN(SelectionTest)
#include "selection_qtest.moc"
