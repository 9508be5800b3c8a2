// What the main panel sends when the user drags, steps, clicks and chooses: exact bytes, channel 5.
#include "app/DFrame.h"
#include "support/FrameHarness.h"
#include "tone/ToneControls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

constexpr int kChannel = 5;

QString hexBytes(const std::vector<std::uint8_t>& bytes) {
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(' ');
}

// A control change on the test's channel, written as it appears on the wire.
QString cc(int controller, int value) {
    return hexBytes({std::uint8_t(0xB0 | kChannel), std::uint8_t(controller), std::uint8_t(value)});
}

QStringList sentShorts(const FrameHarness& h) {
    QStringList out;
    for (const auto& s : h.midi.sent)
        if (!s.sysex)
            out << hexBytes(s.bytes);
    return out;
}

// A keyboard step may be reported more than once (step, then end of scroll); each report must
// carry the same messages, so the log is the unit repeated.
QStringList repeated(const QStringList& unit, const QStringList& sent) {
    QStringList expected;
    do
        expected += unit;
    while (expected.size() < sent.size());
    return expected;
}

// Equal neighbours merged: a drag may repeat a value, but must not skip or invent one.
QStringList merged(const QStringList& list) {
    QStringList out;
    for (const QString& s : list)
        if (out.isEmpty() || out.last() != s)
            out << s;
    return out;
}

// Starts on channel 5, on screen, the start-up request released by a reply that is no dump, so
// the panel keeps its start-up state and the log holds only what the test does.
DFrame& startPanel(FrameHarness& h) {
    DFrame& f = h.startConnected(kChannel);
    f.show();
    h.midi.deliver({0xF0, 0x43, 0x10, 0x01, 0xF7});
    FrameHarness::settle();
    h.midi.clearLog();
    return f;
}

QSlider* sliderOf(DFrame& f, const QString& member) {
    return qobject_cast<QSlider*>(f.toneControl(member.toStdString()));
}

// QSlider's style option is protected; a member pointer taken through a subclass reaches it.
struct SliderAccess : QSlider {
    static constexpr auto init = &SliderAccess::initStyleOption;
};

QRect thumbOf(const QSlider* slider) {
    QStyleOptionSlider option;
    (slider->*SliderAccess::init)(&option);
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

// Picks entry index by the keyboard: from its neighbour, one arrow key on the focused list.
void chooseByKeyboard(QComboBox* list, int index) {
    const bool fromBelow = index == 0;
    setControlState(list, fromBelow ? 1 : index - 1);
    list->setFocus();
    QTest::keyClick(list, fromBelow ? Qt::Key_Up : Qt::Key_Down);
}

// Opens the list and clicks the entry.
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

struct Knob {
    const char* member;
    int controller;
    bool reversed;
};
const Knob kKnobs[] = {
    {"Drive", 13, true},  {"Drive2", 20, true},   {"Bass", 14, true},  {"Mid", 15, true},
    {"Treble", 16, true}, {"Presence", 21, true}, {"ChVol", 17, true}, {"Air", 72, false},
};

} // namespace

class PanelSendTest : public QObject {
    Q_OBJECT

private slots:
    void keyboardStepsSendTheNewPosition_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("message");
        for (const Knob& k : kKnobs) {
            auto row = [&](const char* what, int key, int from, int position, int value) {
                QTest::addRow("%s %s", k.member, what)
                    << QString::fromLatin1(k.member) << key << from << position << cc(k.controller, value);
            };
            if (k.reversed) {
                // Position 0 is the top: Up and Home move the thumb up and raise the value.
                row("Home to the top", Qt::Key_Home, 64, 0, 127);
                row("End to the bottom", Qt::Key_End, 64, 127, 0);
                row("Up to the middle", Qt::Key_Up, 65, 64, 63);
                row("Down to the middle", Qt::Key_Down, 63, 64, 63);
                row("PageUp to the middle", Qt::Key_PageUp, 89, 64, 63);
                row("Up from one below the top", Qt::Key_Up, 1, 0, 127);
            } else {
                row("Home to min", Qt::Key_Home, 64, 0, 0);
                row("End to max", Qt::Key_End, 64, 127, 127);
                row("Right to the middle", Qt::Key_Right, 63, 64, 64);
                row("Left to the middle", Qt::Key_Left, 65, 64, 64);
            }
        }
    }
    void keyboardStepsSendTheNewPosition() {
        QFETCH(QString, member);
        QFETCH(int, key);
        QFETCH(int, from);
        QFETCH(int, position);
        QFETCH(QString, message);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QSlider* slider = sliderOf(f, member);
        QVERIFY(slider);
        setControlState(slider, from);
        QVERIFY(sentShorts(h).isEmpty());
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key(key));
        FrameHarness::settle();
        QCOMPARE(slider->value(), position);
        const QStringList sent = sentShorts(h);
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent, repeated({message}, sent));
        QVERIFY(h.midi.sentSysex().empty());
    }

    void aDragSendsEveryStepAndTheFinalValueAgainOnRelease_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("controller");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<bool>("towardsMinimum");
        QTest::addColumn<int>("finalValue");
        for (const Knob& k : kKnobs) {
            const char* low = k.reversed ? "to the top" : "to min";
            const char* high = k.reversed ? "to the bottom" : "to max";
            QTest::addRow("%s %s", k.member, low) << QString::fromLatin1(k.member) << k.controller
                                                  << k.reversed << true << (k.reversed ? 127 : 0);
            QTest::addRow("%s %s", k.member, high) << QString::fromLatin1(k.member) << k.controller
                                                   << k.reversed << false << (k.reversed ? 0 : 127);
        }
    }
    void aDragSendsEveryStepAndTheFinalValueAgainOnRelease() {
        QFETCH(QString, member);
        QFETCH(int, controller);
        QFETCH(bool, reversed);
        QFETCH(bool, towardsMinimum);
        QFETCH(int, finalValue);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QSlider* slider = sliderOf(f, member);
        QVERIFY(slider);
        const int start = slider->value();
        QList<int> positions;
        connect(slider, &QAbstractSlider::sliderMoved, this, [&positions](int p) { positions << p; });

        const QPoint from = thumbOf(slider).center();
        // Vertical sliders have their minimum at the top, horizontal ones at the left.
        const bool vertical = slider->orientation() == Qt::Vertical;
        const int far = towardsMinimum ? -40 : (vertical ? slider->height() : slider->width()) + 40;
        const QPoint to = vertical ? QPoint(from.x(), far) : QPoint(far, from.y());
        QTest::mousePress(slider, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(slider, from + (to - from) * step / 10);
        QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
        FrameHarness::settle();

        const int end = towardsMinimum ? 0 : 127;
        QCOMPARE(slider->value(), end);
        QVERIFY2(positions.size() >= 3, "the drag should pass through several positions");
        auto valueOf = [&](int p) { return cc(controller, reversed ? 127 - p : p); };
        QStringList steps;
        for (int p : positions)
            steps << valueOf(p);
        const QStringList sent = sentShorts(h);
        // Pressing the thumb may report the start position before the first step.
        const QStringList withStart = QStringList{valueOf(start)} + steps;
        if (merged(sent) != merged(steps))
            QCOMPARE(merged(sent), merged(withStart));
        QCOMPARE(sent.last(), cc(controller, finalValue));
        QVERIFY2(sent.size() >= 2 && sent[sent.size() - 2] == sent.last(),
                 "the final value goes out again on release");
    }

    // A click in the groove beside the thumb moves a page towards the click.
    void aClickInTheGrooveSendsTheNewPosition_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("controller");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<bool>("towardsMinimum");
        for (const Knob& k : kKnobs)
            for (bool towardsMinimum : {true, false})
                QTest::addRow("%s, %s the thumb", k.member, towardsMinimum ? "before" : "after")
                    << QString::fromLatin1(k.member) << k.controller << k.reversed << towardsMinimum;
    }
    void aClickInTheGrooveSendsTheNewPosition() {
        QFETCH(QString, member);
        QFETCH(int, controller);
        QFETCH(bool, reversed);
        QFETCH(bool, towardsMinimum);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QSlider* slider = sliderOf(f, member);
        QVERIFY(slider);
        const QRect thumb = thumbOf(slider);
        const bool vertical = slider->orientation() == Qt::Vertical;
        const int offset = towardsMinimum ? -8 : 8;
        const QPoint at =
            vertical ? QPoint(thumb.center().x(), (towardsMinimum ? thumb.top() : thumb.bottom()) + offset)
                     : QPoint((towardsMinimum ? thumb.left() : thumb.right()) + offset, thumb.center().y());
        QTest::mouseClick(slider, Qt::LeftButton, {}, at);
        FrameHarness::settle();
        const int position = slider->value();
        QVERIFY(towardsMinimum ? position < 64 : position > 64);
        const QStringList sent = sentShorts(h);
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent, repeated({cc(controller, reversed ? 127 - position : position)}, sent));
    }

    // With "POD Layer" the device has a second drive, and the first knob moves both.
    void driveSendsDrive2TooOnlyWithPodLayer_data() {
        QTest::addColumn<int>("ampModel");
        QTest::addColumn<QStringList>("unit");
        const QStringList both = {cc(13, 0), cc(20, 97)};
        const QStringList driveOnly = {cc(13, 0)};
        QTest::newRow("POD Layer") << 4 << both;
        QTest::newRow("POD Drive") << 3 << driveOnly;
        QTest::newRow("Small Tweed") << 5 << driveOnly;
        QTest::newRow("no model yet") << -1 << driveOnly;
    }
    void driveSendsDrive2TooOnlyWithPodLayer() {
        QFETCH(int, ampModel);
        QFETCH(QStringList, unit);
        FrameHarness h;
        DFrame& f = startPanel(h);
        setControlState(f.AmpModel, ampModel);
        setControlState(f.Drive2, 30);
        f.Drive->setFocus();
        QTest::keyClick(f.Drive, Qt::Key_End);
        const QStringList sent = sentShorts(h);
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent, repeated(unit, sent));
        QCOMPARE(f.Drive2->value(), 30);
    }

    void aDriveDragWithPodLayerSendsBothAtEveryStep() {
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        setControlState(f.AmpModel, 4);
        setControlState(f.Drive2, 100);
        const QPoint from = thumbOf(f.Drive).center();
        QTest::mousePress(f.Drive, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(f.Drive, from - QPoint(0, 10 * step));
        QTest::mouseRelease(f.Drive, Qt::LeftButton, {}, from - QPoint(0, 50));
        const QStringList sent = sentShorts(h);
        QVERIFY(sent.size() >= 6);
        QCOMPARE(sent.size() % 2, 0);
        for (int i = 0; i < sent.size(); i += 2) {
            QVERIFY2(sent[i].startsWith(QStringLiteral("B5 0D ")), qPrintable(sent[i]));
            QCOMPARE(sent[i + 1], cc(20, 27));
        }
        QCOMPARE(sent[sent.size() - 2], cc(13, 127 - f.Drive->value()));
    }

    void eachClickOnASwitchSendsItsNewState_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("controller");
        QTest::addColumn<bool>("startsChecked");
        QTest::newRow("Distortion") << "Distortion" << 25 << false;
        QTest::newRow("Vol Boost") << "DriveBoost" << 26 << false;
        QTest::newRow("Presence box") << "PresBoost" << 27 << false;
        QTest::newRow("Trem/Chorus") << "TremChor" << 50 << false;
        QTest::newRow("Bright") << "Bright" << 73 << true;
    }
    void eachClickOnASwitchSendsItsNewState() {
        QFETCH(QString, member);
        QFETCH(int, controller);
        QFETCH(bool, startsChecked);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        auto* box = qobject_cast<QCheckBox*>(f.toneControl(member.toStdString()));
        QVERIFY(box);
        QCOMPARE(box->isChecked(), startsChecked);
        const int first = startsChecked ? 0 : 127;
        const int second = startsChecked ? 127 : 0;

        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QCOMPARE(box->isChecked(), !startsChecked);
        QCOMPARE(sentShorts(h), QStringList{cc(controller, first)});

        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(box->isChecked(), startsChecked);
        QCOMPARE(sentShorts(h), (QStringList{cc(controller, first), cc(controller, second)}));
        QVERIFY(h.midi.sentSysex().empty());
    }

    void choosingACabinetSendsItsIndexAndRequestsNothing_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("popup");
        QTest::newRow("1x8 Tweed Champ, keys") << 0 << false;
        QTest::newRow("2x12 Chieftain, keys") << 7 << false;
        QTest::newRow("No Cab, keys") << 15 << false;
        QTest::newRow("4x12 Marshall 70's, popup") << 12 << true;
        QTest::newRow("1x12 AC15, popup") << 2 << true;
    }
    void choosingACabinetSendsItsIndexAndRequestsNothing() {
        QFETCH(int, index);
        QFETCH(bool, popup);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (popup)
            chooseInPopup(f.CabSel, index);
        else
            chooseByKeyboard(f.CabSel, index);
        FrameHarness::settle(50);
        QCOMPARE(f.CabSel->currentIndex(), index);
        QCOMPARE(sentShorts(h), QStringList{cc(71, index)});
        QVERIFY(h.midi.sentSysex().empty());
        QCOMPARE(f.Waiting_for_sysex, 0);
    }

    // Sliders, boxes and lists set by the program (a dump, the device) say nothing to the device,
    // whether set quietly or with Qt's own setters.
    void settingControlsFromCodeSendsNothing_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("quietly");
        const std::pair<const char*, int> changes[] = {
            {"Drive", 10},     {"Drive2", 100},   {"Bass", 0},      {"Mid", 127},
            {"Treble", 1},     {"Presence", 90},  {"ChVol", 20},    {"Air", 3},
            {"Distortion", 1}, {"DriveBoost", 1}, {"PresBoost", 1}, {"Bright", 0},
            {"TremChor", 1},   {"AmpModel", 4},   {"EffectSel", 7}, {"CabSel", 9},
        };
        for (auto [member, state] : changes) {
            QTest::addRow("%s, quietly", member) << QString::fromLatin1(member) << state << true;
            QTest::addRow("%s, by the setter", member) << QString::fromLatin1(member) << state << false;
        }
    }
    void settingControlsFromCodeSendsNothing() {
        QFETCH(QString, member);
        QFETCH(int, state);
        QFETCH(bool, quietly);
        FrameHarness h;
        DFrame& f = startPanel(h);
        QWidget* control = f.toneControl(member.toStdString());
        QVERIFY(control);
        if (quietly) {
            setControlState(control, state);
        } else if (auto* slider = qobject_cast<QSlider*>(control)) {
            slider->setValue(state);
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            box->setChecked(state != 0);
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            list->setCurrentIndex(state);
        }
        FrameHarness::settle(20);
        QCOMPARE(controlState(control), state);
        QVERIFY(h.midi.sent.empty());
        QCOMPARE(f.Waiting_for_sysex, 0);
    }

    void panelControllersFromTheDeviceAreNotEchoed_data() {
        QTest::addColumn<int>("controller");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("state");
        QTest::newRow("Drive") << 13 << 100 << "Drive" << 27;
        QTest::newRow("Bass") << 14 << 0 << "Bass" << 127;
        QTest::newRow("Middle") << 15 << 127 << "Mid" << 0;
        QTest::newRow("Treble") << 16 << 90 << "Treble" << 37;
        QTest::newRow("Volume") << 17 << 5 << "ChVol" << 122;
        QTest::newRow("Drive2") << 20 << 1 << "Drive2" << 126;
        QTest::newRow("Presence") << 21 << 70 << "Presence" << 57;
        QTest::newRow("Distortion") << 25 << 127 << "Distortion" << 1;
        QTest::newRow("Vol Boost") << 26 << 64 << "DriveBoost" << 1;
        QTest::newRow("Presence box") << 27 << 100 << "PresBoost" << 1;
        QTest::newRow("Trem/Chorus") << 50 << 127 << "TremChor" << 1;
        QTest::newRow("Cabinet") << 71 << 11 << "CabSel" << 11;
    }
    void panelControllersFromTheDeviceAreNotEchoed() {
        QFETCH(int, controller);
        QFETCH(int, value);
        QFETCH(QString, member);
        QFETCH(int, state);
        FrameHarness h;
        DFrame& f = startPanel(h);
        h.midi.deliver({std::uint8_t(0xB0 | kChannel), std::uint8_t(controller), std::uint8_t(value)});
        FrameHarness::settle(20);
        QCOMPARE(controlState(f.toneControl(member.toStdString())), state);
        QVERIFY(h.midi.sent.empty());
    }
};

QTEST_MAIN(PanelSendTest)
#include "panel_send_qtest.moc"
