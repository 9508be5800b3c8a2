// What the nine effect windows send when the user drags, steps, clicks and chooses, and what they show.
#include "app/FrameEvents.h"
#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DDelay.h"
#include "tone/DGate.h"
#include "tone/DPedals.h"
#include "tone/DReverb.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"
#include "tone/ToneControls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <memory>

namespace {

// A user's gesture on a slider: a drag through thumb positions (then release), or key presses.
struct Gesture {
    QList<int> dragTo;
    QList<int> keys;
};
Gesture drag(QList<int> positions) {
    return {positions, {}};
}
Gesture keys(QList<int> keys) {
    return {{}, keys};
}

QString cc(int controller, int value) {
    return QStringLiteral("%1,%2").arg(controller).arg(value);
}

// QSlider's style option is protected; a member pointer taken through a subclass reaches it.
struct SliderAccess : QSlider {
    static constexpr auto init = &SliderAccess::initStyleOption;
};

// Where a drag that starts at press (on the thumb, before the thumb moves) must put the mouse for the
// thumb to land on position: the press point's offset into the thumb plus the first pixel QSlider
// maps to that position. Null when no pixel does.
QPoint dragPoint(const QSlider* slider, QPoint press, int position) {
    QStyleOptionSlider option;
    (slider->*SliderAccess::init)(&option);
    const QStyle* style = slider->style();
    const QRect groove = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    const QRect thumb = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const bool across = slider->orientation() == Qt::Horizontal;
    const int start = across ? groove.x() : groove.y();
    const int span = (across ? groove.right() - thumb.width() : groove.bottom() - thumb.height()) + 1 - start;
    const int grip = across ? press.x() - thumb.x() : press.y() - thumb.y();
    for (int pixel = 0; pixel <= span; ++pixel)
        if (QStyle::sliderValueFromPosition(slider->minimum(), slider->maximum(), pixel, span,
                                            option.upsideDown) == position)
            return across ? QPoint(start + pixel + grip, press.y()) : QPoint(press.x(), start + pixel + grip);
    return {};
}

QPoint thumbCentre(const QSlider* slider) {
    QStyleOptionSlider option;
    (slider->*SliderAccess::init)(&option);
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

} // namespace

Q_DECLARE_METATYPE(Gesture)

class EffectHandlersTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void slidersSendByTheirKind_data();
    void slidersSendByTheirKind();
    void delayTime_data();
    void delayTime();
    void chorusFeedbackLabel_data();
    void chorusFeedbackLabel();
    void fastNeverAboveSlow_data();
    void fastNeverAboveSlow();
    void putBackHoldsThroughoutADrag();
    void lists_data();
    void lists();
    void switches_data();
    void switches();
    void levelSlidersCheckTheirBoxSilently_data();
    void levelSlidersCheckTheirBoxSilently();
    void rotaryDepthAsksTheFrameForTremChor_data();
    void rotaryDepthAsksTheFrameForTremChor();
    void controlsSetFromCodeSendNothing();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows the window that holds control (alone in the shared modulation slot) and gives it the focus.
    void bringUp(QWidget* control);
    void perform(QSlider* slider, const Gesture& gesture);
    void chooseInPopup(QComboBox* list, int index);

    std::unique_ptr<QWidget> frame;
    DPedals* pedals = nullptr;
    DGate* gate = nullptr;
    DReverb* reverb = nullptr;
    DDelay* delay = nullptr;
    DCompressor* compressor = nullptr;
    DSwell* swell = nullptr;
    DTremolo* tremolo = nullptr;
    DRotary* rotary = nullptr;
    DChorus* chorus = nullptr;
    QList<DEffectWindow*> all;
    QStringList sent;
    int tremChorPosts = 0;
};

void EffectHandlersTest::initTestCase() {
    frame = std::make_unique<QWidget>();
    frame->resize(700, 515);
    all = {pedals = new DPedals(frame.get(), "Pedals Setup"),
           gate = new DGate(frame.get(), "Noise Gate Setup"),
           reverb = new DReverb(frame.get(), "Reverb Setup"),
           delay = new DDelay(frame.get(), "Delay Setup"),
           compressor = new DCompressor(frame.get(), "Compressor Setup"),
           swell = new DSwell(frame.get(), "Volume Swell Setup"),
           tremolo = new DTremolo(frame.get(), "Tremolo Setup"),
           rotary = new DRotary(frame.get(), "Rotary Setup"),
           chorus = new DChorus(frame.get(), "Chorus Setup")};
    for (DEffectWindow* window : all) {
        window->SetupWindow();
        connect(window, &DEffectWindow::controllerChanged, this,
                [this](int controller, int value) { sent << cc(controller, value); });
    }
    frame->installEventFilter(this);
    frame->show();
    frame->activateWindow(); // the keys go to the focused control, which needs an active window
    QVERIFY(QTest::qWaitForWindowActive(frame.get()));
}

void EffectHandlersTest::init() {
    QCoreApplication::processEvents();
    sent.clear();
    tremChorPosts = 0;
}

bool EffectHandlersTest::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame.get() && event->type() == QEvent::Type(WM_CHKTREMCHOR))
        ++tremChorPosts;
    return false;
}

void EffectHandlersTest::bringUp(QWidget* control) {
    for (DEffectWindow* slot : QList<DEffectWindow*>{chorus, rotary, tremolo, swell, compressor})
        slot->hide();
    control->parentWidget()->show();
    control->setFocus();
    QTRY_VERIFY(control->hasFocus());
}

void EffectHandlersTest::perform(QSlider* slider, const Gesture& gesture) {
    bringUp(slider);
    for (int key : gesture.keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    if (gesture.dragTo.isEmpty())
        return;
    const QPoint press = thumbCentre(slider);
    QList<QPoint> path;
    for (int position : gesture.dragTo) {
        path << dragPoint(slider, press, position);
        QVERIFY2(!path.last().isNull(), qPrintable(QString("no pixel puts the thumb at %1").arg(position)));
    }
    QTest::mousePress(slider, Qt::LeftButton, {}, press);
    for (QPoint at : path)
        QTest::mouseMove(slider, at);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, path.last());
}

void EffectHandlersTest::chooseInPopup(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QPoint at = view->visualRect(list->model()->index(index, 0)).center();
    // The popup ignores a release that comes within a double-click time of its opening.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->window()->isVisible());
}

void EffectHandlersTest::slidersSendByTheirKind_data() {
    QTest::addColumn<QSlider*>("slider");
    QTest::addColumn<int>("from");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("messages");
    // Reversed sliders send 127 at the top (position 0), direct ones their position. A drag sends
    // each step and its final value once more at release; a key press sends once.
    QTest::newRow("ChSpeed drag to the top")
        << chorus->ChSpeed << 127 << drag({0}) << 0 << QStringList{"51,0", "51,0"};
    QTest::newRow("ChSpeed drag via 30 to the middle")
        << chorus->ChSpeed << 127 << drag({30, 64}) << 64 << QStringList{"51,30", "51,64", "51,64"};
    QTest::newRow("ChSpeed End") << chorus->ChSpeed << 64 << keys({Qt::Key_End}) << 127
                                 << QStringList{"51,127"};
    QTest::newRow("ChDepth drag to the top")
        << chorus->ChDepth << 127 << drag({0}) << 0 << QStringList{"52,127", "52,127"};
    QTest::newRow("ChPreDelay drag to the middle")
        << chorus->ChPreDelay << 127 << drag({64}) << 64 << QStringList{"54,63", "54,63"};
    QTest::newRow("TremSpeed Up, Up")
        << tremolo->TremSpeed << 64 << keys({Qt::Key_Up, Qt::Key_Up}) << 62 << QStringList{"58,63", "58,62"};
    QTest::newRow("TremDepth PageUp")
        << tremolo->TremDepth << 127 << keys({Qt::Key_PageUp}) << 102 << QStringList{"59,25"};
    QTest::newRow("Swell drag to the bottom")
        << swell->Swell << 0 << drag({127}) << 127 << QStringList{"49,0", "49,0"};
    QTest::newRow("GateThreshold drag to the middle")
        << gate->GateThreshold << 127 << drag({64}) << 64 << QStringList{"23,64", "23,64"};
    QTest::newRow("GateDecayTime Home")
        << gate->GateDecayTime << 127 << keys({Qt::Key_Home}) << 0 << QStringList{"24,127"};
    QTest::newRow("DelayLevel drag to the middle")
        << delay->DelayLevel << 127 << drag({63}) << 63 << QStringList{"34,64", "34,64"};
    QTest::newRow("DelayLevel Down to the bottom")
        << delay->DelayLevel << 126 << keys({Qt::Key_Down}) << 127 << QStringList{"34,0"};
    QTest::newRow("DelayFeedback drag right to the end")
        << delay->DelayFeedback << 0 << drag({127}) << 127 << QStringList{"32,127", "32,127"};
    QTest::newRow("DelayFeedback Right, Left")
        << delay->DelayFeedback << 0 << keys({Qt::Key_Right, Qt::Key_Left}) << 0
        << QStringList{"32,1", "32,0"};
    QTest::newRow("ReverbDecay drag to the bottom")
        << reverb->ReverbDecay << 63 << drag({127}) << 127 << QStringList{"38,0", "38,0"};
    QTest::newRow("ReverbTone drag to the top")
        << reverb->ReverbTone << 63 << drag({0}) << 0 << QStringList{"39,127", "39,127"};
    QTest::newRow("ReverbDiffusion Down")
        << reverb->ReverbDiffusion << 63 << keys({Qt::Key_Down}) << 64 << QStringList{"40,63"};
    QTest::newRow("ReverbDensity PageDown")
        << reverb->ReverbDensity << 63 << keys({Qt::Key_PageDown}) << 88 << QStringList{"41,39"};
    QTest::newRow("VolLevel drag to the middle")
        << pedals->VolLevel << 0 << drag({64}) << 64 << QStringList{"7,63", "7,63"};
    QTest::newRow("VolMin Home") << pedals->VolMin << 127 << keys({Qt::Key_Home}) << 0
                                 << QStringList{"46,127"};
    QTest::newRow("WahTop drag to the bottom")
        << pedals->WahTop << 0 << drag({127}) << 127 << QStringList{"45,0", "45,0"};
    QTest::newRow("WahBottom Up") << pedals->WahBottom << 127 << keys({Qt::Key_Up}) << 126
                                  << QStringList{"44,1"};
}

void EffectHandlersTest::slidersSendByTheirKind() {
    QFETCH(QSlider*, slider);
    QFETCH(int, from);
    QFETCH(Gesture, gesture);
    QFETCH(int, position);
    QFETCH(QStringList, messages);
    setControlState(slider, from);
    perform(slider, gesture);
    QCOMPARE(slider->value(), position);
    QCOMPARE(sent, messages);
}

void EffectHandlersTest::delayTime_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("label");
    // The 14-bit device value is the largest integer below ms x 5.201, high 7 bits first.
    QTest::newRow("0 ms") << 1 << keys({Qt::Key_Left}) << QStringList{"30,0", "62,0"} << "Delay Time:  0 mS";
    QTest::newRow("1 ms") << 0 << keys({Qt::Key_Right}) << QStringList{"30,0", "62,5"} << "Delay Time:  1 mS";
    QTest::newRow("100 ms") << 99 << keys({Qt::Key_Right}) << QStringList{"30,4", "62,8"}
                            << "Delay Time:  100 mS";
    QTest::newRow("1000 ms") << 1001 << keys({Qt::Key_Left}) << QStringList{"30,40", "62,80"}
                             << "Delay Time:  1000 mS";
    QTest::newRow("2000 ms") << 1999 << keys({Qt::Key_Right}) << QStringList{"30,81", "62,33"}
                             << "Delay Time:  2000 mS";
    QTest::newRow("3150 ms by End") << 0 << keys({Qt::Key_End}) << QStringList{"30,127", "62,127"}
                                    << "Delay Time:  3150 mS";
    QTest::newRow("3150 ms by a drag")
        << 0 << drag({3150}) << QStringList{"30,127", "62,127", "30,127", "62,127"} << "Delay Time:  3150 mS";
}

void EffectHandlersTest::delayTime() {
    QFETCH(int, from);
    QFETCH(Gesture, gesture);
    QFETCH(QStringList, messages);
    QFETCH(QString, label);
    setControlState(delay->DelayTime, from);
    delay->StaticDelayTime->setText("Delay Time:");
    perform(delay->DelayTime, gesture);
    QCOMPARE(sent, messages);
    QCOMPARE(delay->StaticDelayTime->text(), label);
}

void EffectHandlersTest::chorusFeedbackLabel_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("label");
    // Value 64 (position 63) is no feedback.
    QTest::newRow("127") << 64 << keys({Qt::Key_End}) << QStringList{"53,0"} << "Feedback(-)";
    QTest::newRow("64") << 65 << keys({Qt::Key_Up}) << QStringList{"53,63"} << "Feedback(-)";
    QTest::newRow("63") << 64 << keys({Qt::Key_Up}) << QStringList{"53,64"} << "Feedback(0)";
    QTest::newRow("63 from above") << 62 << keys({Qt::Key_Down}) << QStringList{"53,64"} << "Feedback(0)";
    QTest::newRow("62") << 63 << keys({Qt::Key_Up}) << QStringList{"53,65"} << "Feedback(+)";
    QTest::newRow("0 by a drag") << 127 << drag({0}) << QStringList{"53,127", "53,127"} << "Feedback(+)";
}

void EffectHandlersTest::chorusFeedbackLabel() {
    QFETCH(int, from);
    QFETCH(Gesture, gesture);
    QFETCH(QStringList, messages);
    QFETCH(QString, label);
    setControlState(chorus->ChFeedback, from);
    chorus->StaticChFeedback->setText("Feedback");
    perform(chorus->ChFeedback, gesture);
    QCOMPARE(sent, messages);
    QCOMPARE(chorus->StaticChFeedback->text(), label);
}

void EffectHandlersTest::fastNeverAboveSlow_data() {
    QTest::addColumn<int>("fast");
    QTest::addColumn<int>("slow");
    QTest::addColumn<bool>("moveFast");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<int>("fastAfter");
    QTest::addColumn<int>("slowAfter");
    QTest::addColumn<QStringList>("messages");
    // Back at Slow's position, the release sends Fast's value once more, as for any drag.
    QTest::newRow("Fast dragged past Slow")
        << 80 << 80 << true << drag({99}) << 80 << 80 << QStringList{"56,80"};
    QTest::newRow("Fast dragged onto Slow")
        << 40 << 80 << true << drag({80}) << 80 << 80 << QStringList{"56,80", "56,80"};
    QTest::newRow("Fast dragged past Slow and back")
        << 80 << 80 << true << drag({99, 127, 64}) << 64 << 80 << QStringList{"56,64", "56,64"};
    QTest::newRow("Fast Down onto Slow")
        << 79 << 80 << true << keys({Qt::Key_Down}) << 80 << 80 << QStringList{"56,80"};
    QTest::newRow("Fast Down past Slow")
        << 80 << 80 << true << keys({Qt::Key_Down}) << 80 << 80 << QStringList{};
    QTest::newRow("Fast Home") << 80 << 80 << true << keys({Qt::Key_Home}) << 0 << 80 << QStringList{"56,0"};
    // A jump past Slow stops at Slow; that is a new place for Fast, so it is sent.
    QTest::newRow("Fast End jumps past Slow")
        << 10 << 80 << true << keys({Qt::Key_End}) << 80 << 80 << QStringList{"56,80"};
    QTest::newRow("Slow Up past Fast")
        << 40 << 40 << false << keys({Qt::Key_Up}) << 40 << 40 << QStringList{};
    QTest::newRow("Slow Down") << 40 << 40 << false << keys({Qt::Key_Down}) << 40 << 41
                               << QStringList{"57,41"};
    QTest::newRow("Slow dragged past Fast")
        << 40 << 80 << false << drag({21}) << 40 << 40 << QStringList{"57,40", "57,40"};
}

void EffectHandlersTest::fastNeverAboveSlow() {
    QFETCH(int, fast);
    QFETCH(int, slow);
    QFETCH(bool, moveFast);
    QFETCH(Gesture, gesture);
    QFETCH(int, fastAfter);
    QFETCH(int, slowAfter);
    QFETCH(QStringList, messages);
    setControlState(rotary->RotaryMax, fast);
    setControlState(rotary->RotaryMin, slow);
    perform(moveFast ? rotary->RotaryMax : rotary->RotaryMin, gesture);
    QCOMPARE(rotary->RotaryMax->value(), fastAfter);
    QCOMPARE(rotary->RotaryMin->value(), slowAfter);
    QCOMPARE(rotary->RotaryMax->sliderPosition(), fastAfter);
    QCOMPARE(rotary->RotaryMin->sliderPosition(), slowAfter);
    QCOMPARE(sent, messages);
}

// While the button is still down, each move past Slow is undone on the spot and sends nothing.
void EffectHandlersTest::putBackHoldsThroughoutADrag() {
    QSlider* fast = rotary->RotaryMax;
    setControlState(fast, 80);
    setControlState(rotary->RotaryMin, 80);
    bringUp(fast);
    const QPoint press = thumbCentre(fast);
    const QPoint back = dragPoint(fast, press, 64);
    QTest::mousePress(fast, Qt::LeftButton, {}, press);
    for (int position : {99, 110, 127}) {
        QTest::mouseMove(fast, dragPoint(fast, press, position)); // the thumb stays where it was pressed
        QVERIFY(fast->isSliderDown());
        QCOMPARE(fast->sliderPosition(), 80);
        QCOMPARE(fast->value(), 80);
        QCOMPARE(sent, QStringList{});
    }
    QTest::mouseMove(fast, back);
    QCOMPARE(sent, QStringList{"56,64"});
    QTest::mouseRelease(fast, Qt::LeftButton, {}, back);
    QCOMPARE(fast->value(), 64);
    QCOMPARE(sent, (QStringList{"56,64", "56,64"}));
}

void EffectHandlersTest::lists_data() {
    QTest::addColumn<QComboBox*>("list");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("popup");
    QTest::addColumn<QString>("message");
    QTest::newRow("CRatio 3:1, popup") << compressor->CRatio << -1 << 3 << true << "42,80";
    QTest::newRow("CRatio off, keys") << compressor->CRatio << 1 << 0 << false << "42,0";
    QTest::newRow("CRatio 1.4:1, keys") << compressor->CRatio << 0 << 1 << false << "42,30";
    QTest::newRow("CRatio 2:1, keys") << compressor->CRatio << 1 << 2 << false << "42,50";
    QTest::newRow("CRatio 6:1, popup") << compressor->CRatio << 5 << 4 << true << "42,100";
    QTest::newRow("CRatio infinity:1, keys") << compressor->CRatio << 4 << 5 << false << "42,127";
    QTest::newRow("ReverbType Room, popup") << reverb->ReverbType << -1 << 1 << true << "37,127";
    QTest::newRow("ReverbType Spring, keys") << reverb->ReverbType << 1 << 0 << false << "37,0";
    QTest::newRow("RotarySpeed Slow, keys") << rotary->RotarySpeed << -1 << 0 << false << "55,0";
    QTest::newRow("RotarySpeed Fast, popup") << rotary->RotarySpeed << 0 << 1 << true << "55,127";
    QTest::newRow("VolPosition Post, keys") << pedals->VolPosition << 0 << 1 << false << "47,127";
    QTest::newRow("VolPosition Pre, popup") << pedals->VolPosition << 1 << 0 << true << "47,0";
}

void EffectHandlersTest::lists() {
    QFETCH(QComboBox*, list);
    QFETCH(int, from);
    QFETCH(int, index);
    QFETCH(bool, popup);
    QFETCH(QString, message);
    setControlState(list, from);
    bringUp(list);
    if (popup)
        chooseInPopup(list, index);
    else
        QTest::keyClick(QApplication::focusWidget(), index > from ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(list->currentIndex(), index);
    QCOMPARE(sent, QStringList{message});
}

void EffectHandlersTest::switches_data() {
    QTest::addColumn<QCheckBox*>("box");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<QString>("message");
    QTest::newRow("Delay on") << delay->Delay << false << true << "28,127";
    QTest::newRow("Delay off") << delay->Delay << true << false << "28,0";
    QTest::newRow("Reverb off") << reverb->Reverb << true << true << "36,0";
    QTest::newRow("Reverb on") << reverb->Reverb << false << false << "36,127";
    QTest::newRow("NoiseGate on") << gate->NoiseGate << false << false << "22,127";
    QTest::newRow("NoiseGate off") << gate->NoiseGate << true << true << "22,0";
    QTest::newRow("Wah on") << pedals->Wah << false << true << "43,127";
    QTest::newRow("Wah off") << pedals->Wah << true << false << "43,0";
}

void EffectHandlersTest::switches() {
    QFETCH(QCheckBox*, box);
    QFETCH(bool, checked);
    QFETCH(bool, byMouse);
    QFETCH(QString, message);
    setControlState(box, checked);
    bringUp(box);
    if (byMouse)
        QTest::mouseClick(box, Qt::LeftButton);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(box->isChecked(), !checked);
    QCOMPARE(sent, QStringList{message});
}

void EffectHandlersTest::levelSlidersCheckTheirBoxSilently_data() {
    QTest::addColumn<QSlider*>("slider");
    QTest::addColumn<QCheckBox*>("box");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("boxOff");
    QTest::newRow("reverb level by key")
        << reverb->ReverbLevel << reverb->Reverb << keys({Qt::Key_Up}) << QStringList{"18,65"} << "36,0";
    QTest::newRow("reverb level by a drag")
        << reverb->ReverbLevel << reverb->Reverb << drag({0}) << QStringList{"18,127", "18,127"} << "36,0";
    QTest::newRow("wah level by key")
        << pedals->WahLevel << pedals->Wah << keys({Qt::Key_End}) << QStringList{"4,0"} << "43,0";
    QTest::newRow("wah level by a drag")
        << pedals->WahLevel << pedals->Wah << drag({64}) << QStringList{"4,63", "4,63"} << "43,0";
}

void EffectHandlersTest::levelSlidersCheckTheirBoxSilently() {
    QFETCH(QSlider*, slider);
    QFETCH(QCheckBox*, box);
    QFETCH(Gesture, gesture);
    QFETCH(QStringList, messages);
    QFETCH(QString, boxOff);
    setControlState(slider, 63);
    setControlState(box, 0);
    perform(slider, gesture);
    QVERIFY(box->isChecked());
    QCOMPARE(sent, messages);
    // The box was checked without a click, so a click now turns it off.
    sent.clear();
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    QCOMPARE(sent, QStringList{boxOff});
}

void EffectHandlersTest::rotaryDepthAsksTheFrameForTremChor_data() {
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("Down") << keys({Qt::Key_Down}) << QStringList{"1,0"};
    QTest::newRow("Home") << keys({Qt::Key_Home}) << QStringList{"1,127"};
    QTest::newRow("drag to the middle") << drag({64}) << QStringList{"1,63", "1,63"};
}

void EffectHandlersTest::rotaryDepthAsksTheFrameForTremChor() {
    QFETCH(Gesture, gesture);
    QFETCH(QStringList, messages);
    setControlState(rotary->RotaryDepth, 126);
    perform(rotary->RotaryDepth, gesture);
    QCOMPARE(sent, messages);
    QCOMPARE(tremChorPosts, 0); // posted, not sent: it arrives from the event loop
    QCoreApplication::processEvents();
    QCOMPARE(tremChorPosts, int(messages.size()));
}

// What the frame does when the device or a patch dump sets the windows: no sends, no extra steps.
void EffectHandlersTest::controlsSetFromCodeSendNothing() {
    delay->StaticDelayTime->setText("Delay Time:");
    chorus->StaticChFeedback->setText("Feedback");
    for (DEffectWindow* window : all) {
        window->show();
        for (QSlider* slider : window->findChildren<QSlider*>())
            for (int position : {slider->maximum(), 0, 63})
                setControlState(slider, position);
        for (QCheckBox* box : window->findChildren<QCheckBox*>())
            setControlState(box, 0);
        for (QComboBox* list : window->findChildren<QComboBox*>())
            for (int index : {int(list->count()) - 1, 0})
                setControlState(list, index);
    }
    QCoreApplication::processEvents();
    QCOMPARE(sent, QStringList{});
    QCOMPARE(tremChorPosts, 0);
    QVERIFY(!reverb->Reverb->isChecked());
    QVERIFY(!pedals->Wah->isChecked());
    QCOMPARE(delay->StaticDelayTime->text(), QString("Delay Time:"));
    QCOMPARE(chorus->StaticChFeedback->text(), QString("Feedback"));
}

QTEST_MAIN(EffectHandlersTest)
#include "effect_handlers_qtest.moc"
