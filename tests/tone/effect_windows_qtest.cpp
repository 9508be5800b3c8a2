// The nine effect setup windows as laid out: places, controls, ids, set-up state, and no clipped text.
#include "app/PanelControls.h"
#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DDelay.h"
#include "tone/DGate.h"
#include "tone/DPedals.h"
#include "tone/DReverb.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <memory>

class EffectWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windows_data();
    void windows();
    void controlsInDeclarationOrder_data();
    void controlsInDeclarationOrder();
    void sliders_data();
    void sliders();
    void labels_data();
    void labels();
    void checkBoxes_data();
    void checkBoxes();
    void dropDowns_data();
    void dropDowns();
    void noTextIsClipped_data();
    void noTextIsClipped();

private:
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
};

// One row per control; the row name is window.member, and the member's object name must match.
#define ROW(window, member)                                                                                  \
    QTest::newRow(#window "." #member) << static_cast<QWidget*>(window->member) << #member

void EffectWindowsTest::initTestCase() {
    frame = std::make_unique<QWidget>();
    frame->resize(700, 515);
    // The frame's order of construction.
    all = {pedals = new DPedals(frame.get(), "Pedals Setup"),
           gate = new DGate(frame.get(), "Noise Gate Setup"),
           reverb = new DReverb(frame.get(), "Reverb Setup"),
           delay = new DDelay(frame.get(), "Delay Setup"),
           compressor = new DCompressor(frame.get(), "Compressor Setup"),
           swell = new DSwell(frame.get(), "Volume Swell Setup"),
           tremolo = new DTremolo(frame.get(), "Tremolo Setup"),
           rotary = new DRotary(frame.get(), "Rotary Setup"),
           chorus = new DChorus(frame.get(), "Chorus Setup")};
    for (DEffectWindow* window : all)
        window->SetupWindow();
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
}

void EffectWindowsTest::windows_data() {
    QTest::addColumn<QWidget*>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("place");
    QTest::newRow("chorus") << (QWidget*)chorus << "Chorus Setup" << QRect(0, 330, 250, 135);
    QTest::newRow("rotary") << (QWidget*)rotary << "Rotary Setup" << QRect(0, 330, 250, 135);
    QTest::newRow("tremolo") << (QWidget*)tremolo << "Tremolo Setup" << QRect(0, 330, 250, 135);
    QTest::newRow("swell") << (QWidget*)swell << "Volume Swell Setup" << QRect(0, 330, 250, 135);
    QTest::newRow("compressor") << (QWidget*)compressor << "Compressor Setup" << QRect(0, 330, 250, 135);
    QTest::newRow("delay") << (QWidget*)delay << "Delay Setup" << QRect(420, 330, 280, 135);
    QTest::newRow("reverb") << (QWidget*)reverb << "Reverb Setup" << QRect(420, 0, 280, 165);
    QTest::newRow("gate") << (QWidget*)gate << "Noise Gate Setup" << QRect(250, 330, 170, 135);
    QTest::newRow("pedals") << (QWidget*)pedals << "Pedals Setup" << QRect(420, 165, 280, 165);
}

void EffectWindowsTest::windows() {
    QFETCH(QWidget*, window);
    QFETCH(QString, title);
    QFETCH(QRect, place);
    auto* panel = qobject_cast<QFrame*>(window);
    QVERIFY(panel);
    QCOMPARE(panel->windowTitle(), title);
    QCOMPARE(panel->geometry(), place);
    QCOMPARE(panel->parentWidget(), frame.get());
    QVERIFY(!panel->isWindow()); // a child panel, no caption bar
    QCOMPARE(panel->frameShape(), QFrame::Box);
    QVERIFY(panel->frameWidth() > 0);
    QVERIFY(panel->autoFillBackground());
    QCOMPARE(panel->backgroundRole(), QPalette::Button);
    QVERIFY(!panel->isVisible()); // still hidden with the frame on screen
}

void EffectWindowsTest::controlsInDeclarationOrder_data() {
    QTest::addColumn<QWidget*>("window");
    QTest::addColumn<QStringList>("members");
    QTest::newRow("chorus") << (QWidget*)chorus
                            << QStringList{"ChSpeed",       "ChDepth",          "ChFeedback",
                                           "ChPreDelay",    "StaticChPreDelay", "StaticChSpeed",
                                           "StaticChDepth", "StaticChFeedback"};
    QTest::newRow("rotary") << (QWidget*)rotary
                            << QStringList{"RotaryMax",       "RotaryMin",         "RotaryDepth",
                                           "RotarySpeed",     "StaticRotarySpeed", "StaticRotaryMax",
                                           "StaticRotaryMin", "StaticRotaryDepth"};
    QTest::newRow("tremolo") << (QWidget*)tremolo
                             << QStringList{"TremSpeed", "TremDepth", "StaticTremSpeed", "StaticTremDepth"};
    QTest::newRow("swell") << (QWidget*)swell << QStringList{"Swell", "StaticSwell"};
    QTest::newRow("compressor") << (QWidget*)compressor << QStringList{"CRatio", "StaticCRatio"};
    QTest::newRow("delay") << (QWidget*)delay
                           << QStringList{"DelayLevel",     "DelayFeedback",    "DelayTime",
                                          "Delay",          "StaticDelayLevel", "StaticDelayFeedback",
                                          "StaticDelayTime"};
    QTest::newRow("reverb") << (QWidget*)reverb
                            << QStringList{"ReverbDecay",
                                           "ReverbTone",
                                           "ReverbType",
                                           "ReverbDiffusion",
                                           "ReverbDensity",
                                           "ReverbLevel",
                                           "StaticReverbLevel",
                                           "StaticReverbTone",
                                           "StaticReverbDecay",
                                           "StaticReverbDiffusion",
                                           "StaticReverbDensity",
                                           "StaticReverbType",
                                           "Reverb"};
    QTest::newRow("gate") << (QWidget*)gate
                          << QStringList{"GateThreshold", "GateDecayTime", "StaticGateThreshold",
                                         "StaticGateDecayTime", "NoiseGate"};
    QTest::newRow("pedals") << (QWidget*)pedals << QStringList{"VolLevel",
                                                               "VolMin",
                                                               "VolPosition",
                                                               "WahLevel",
                                                               "WahBottom",
                                                               "WahTop",
                                                               "Wah",
                                                               "StaticVolLevel",
                                                               "StaticVolMin",
                                                               "StaticVolPosition",
                                                               "StaticWahLevel",
                                                               "StaticWahBottom",
                                                               "StaticWahTop"};
}

// Nothing more and nothing less than the tables, created in declaration order.
void EffectWindowsTest::controlsInDeclarationOrder() {
    QFETCH(QWidget*, window);
    QFETCH(QStringList, members);
    QStringList created;
    for (QObject* child : window->children())
        if (child->isWidgetType())
            created << child->objectName();
    QCOMPARE(created, members);
}

void EffectWindowsTest::sliders_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("tick");
    QTest::addColumn<int>("position");
    const int V = Qt::Vertical, H = Qt::Horizontal;
    ROW(chorus, ChSpeed) << 701 << QRect(20, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(chorus, ChDepth) << 702 << QRect(79, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(chorus, ChFeedback) << 703 << QRect(138, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(chorus, ChPreDelay) << 708 << QRect(197, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(rotary, RotaryMax) << 288 << QRect(20, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(rotary, RotaryMin) << 289 << QRect(70, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(rotary, RotaryDepth) << 710 << QRect(120, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(tremolo, TremSpeed) << 283 << QRect(25, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(tremolo, TremDepth) << 284 << QRect(110, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(swell, Swell) << 280 << QRect(60, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(delay, DelayLevel) << 270 << QRect(20, 30, 32, 80) << V << 127 << 13 << 127;
    ROW(delay, DelayFeedback) << 271 << QRect(72, 90, 115, 32) << H << 127 << 13 << 0;
    ROW(delay, DelayTime) << 272 << QRect(72, 30, 188, 32) << H << 3150 << 315 << 0;
    ROW(reverb, ReverbDecay) << 259 << QRect(124, 30, 32, 75) << V << 127 << 13 << 63;
    ROW(reverb, ReverbTone) << 258 << QRect(72, 30, 32, 75) << V << 127 << 13 << 63;
    ROW(reverb, ReverbDiffusion) << 261 << QRect(176, 30, 32, 75) << V << 127 << 13 << 63;
    ROW(reverb, ReverbDensity) << 260 << QRect(228, 30, 32, 75) << V << 127 << 13 << 63;
    ROW(reverb, ReverbLevel) << 257 << QRect(20, 30, 32, 75) << V << 127 << 13 << 63;
    ROW(gate, GateThreshold) << 252 << QRect(25, 25, 32, 75) << V << 127 << 13 << 127;
    ROW(gate, GateDecayTime) << 253 << QRect(110, 25, 32, 75) << V << 127 << 13 << 127;
    ROW(pedals, VolLevel) << 239 << QRect(20, 30, 32, 75) << V << 127 << 13 << 0;
    ROW(pedals, VolMin) << 240 << QRect(72, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(pedals, WahLevel) << 242 << QRect(124, 30, 32, 75) << V << 127 << 13 << 0;
    ROW(pedals, WahBottom) << 243 << QRect(228, 30, 32, 75) << V << 127 << 13 << 127;
    ROW(pedals, WahTop) << 244 << QRect(176, 30, 32, 75) << V << 127 << 13 << 0;
}

void EffectWindowsTest::sliders() {
    QFETCH(QWidget*, control);
    QFETCH(QString, member);
    QFETCH(int, id);
    QFETCH(QRect, geometry);
    QFETCH(int, orientation);
    QFETCH(int, maximum);
    QFETCH(int, tick);
    QFETCH(int, position);
    auto* slider = qobject_cast<QSlider*>(control);
    QVERIFY(slider);
    QCOMPARE(slider->objectName(), member);
    QCOMPARE(controlId(slider), id);
    QCOMPARE(slider->geometry(), geometry);
    QCOMPARE(int(slider->orientation()), orientation);
    // Vertical sliders have their minimum at the top.
    QCOMPARE(slider->invertedAppearance(), orientation == Qt::Vertical);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), maximum);
    QCOMPARE(slider->tickInterval(), tick);
    QCOMPARE(slider->value(), position);
}

void EffectWindowsTest::labels_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    ROW(chorus, StaticChPreDelay) << 709 << QRect(197, 10, 50, 17) << "Delay";
    ROW(chorus, StaticChSpeed) << 705 << QRect(15, 10, 50, 17) << "Speed";
    ROW(chorus, StaticChDepth) << 706 << QRect(72, 10, 45, 17) << "Depth";
    ROW(chorus, StaticChFeedback) << 707 << QRect(116, 10, 78, 17) << "Feedback";
    ROW(rotary, StaticRotarySpeed) << 293 << QRect(170, 30, 60, 17) << "Speed:";
    ROW(rotary, StaticRotaryMax) << 291 << QRect(20, 10, 50, 17) << "Fast";
    ROW(rotary, StaticRotaryMin) << 292 << QRect(70, 10, 50, 17) << "Slow";
    ROW(rotary, StaticRotaryDepth) << 711 << QRect(117, 10, 50, 17) << "Depth";
    ROW(tremolo, StaticTremSpeed) << 285 << QRect(20, 10, 50, 17) << "Speed";
    ROW(tremolo, StaticTremDepth) << 286 << QRect(107, 10, 50, 17) << "Depth";
    ROW(swell, StaticSwell) << 281 << QRect(20, 10, 130, 17) << "Swell Attack Speed";
    ROW(compressor, StaticCRatio) << 278 << QRect(20, 30, 140, 17) << "Compression Ratio";
    ROW(delay, StaticDelayLevel) << 274 << QRect(18, 10, 50, 17) << "Level";
    ROW(delay, StaticDelayFeedback) << 275 << QRect(75, 70, 120, 17) << "Delay Feedback";
    ROW(delay, StaticDelayTime) << 276 << QRect(75, 10, 150, 17) << "Delay Time:";
    ROW(reverb, StaticReverbLevel) << 264 << QRect(10, 10, 50, 17) << "Reverb";
    ROW(reverb, StaticReverbTone) << 265 << QRect(70, 10, 40, 17) << "Tone";
    ROW(reverb, StaticReverbDecay) << 266 << QRect(119, 10, 40, 17) << "Decay";
    ROW(reverb, StaticReverbDiffusion) << 268 << QRect(180, 10, 40, 17) << "Diff";
    ROW(reverb, StaticReverbDensity) << 267 << QRect(226, 10, 40, 17) << "Dens";
    ROW(reverb, StaticReverbType) << 269 << QRect(20, 110, 140, 17) << "Reverb Type:";
    ROW(gate, StaticGateThreshold) << 255 << QRect(10, 7, 80, 17) << "Threshold";
    ROW(gate, StaticGateDecayTime) << 256 << QRect(105, 7, 60, 17) << "Decay";
    ROW(pedals, StaticVolLevel) << 246 << QRect(22, 10, 40, 17) << "Vol";
    ROW(pedals, StaticVolMin) << 247 << QRect(74, 10, 40, 17) << "Min";
    ROW(pedals, StaticVolPosition) << 248 << QRect(15, 110, 160, 17) << "Volume Pedal Location:";
    ROW(pedals, StaticWahLevel) << 249 << QRect(126, 10, 40, 17) << "Wah";
    ROW(pedals, StaticWahBottom) << 250 << QRect(224, 10, 50, 17) << "Bottom";
    ROW(pedals, StaticWahTop) << 251 << QRect(179, 10, 40, 17) << "Top";
}

void EffectWindowsTest::labels() {
    QFETCH(QWidget*, control);
    QFETCH(QString, member);
    QFETCH(int, id);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    auto* label = qobject_cast<QLabel*>(control);
    QVERIFY(label);
    QCOMPARE(label->objectName(), member);
    QCOMPARE(controlId(label), id);
    QCOMPARE(label->geometry(), geometry);
    QCOMPARE(label->text(), text);
}

void EffectWindowsTest::checkBoxes_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checked");
    ROW(delay, Delay) << 231 << QRect(200, 87, 60, 25) << "Delay" << false;
    ROW(reverb, Reverb) << 232 << QRect(200, 125, 65, 25) << "Reverb" << true;
    ROW(gate, NoiseGate) << 228 << QRect(40, 105, 100, 25) << "Noise Gate" << false;
    ROW(pedals, Wah) << 219 << QRect(200, 125, 50, 25) << "Wah" << false;
}

void EffectWindowsTest::checkBoxes() {
    QFETCH(QWidget*, control);
    QFETCH(QString, member);
    QFETCH(int, id);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, checked);
    auto* box = qobject_cast<QCheckBox*>(control);
    QVERIFY(box);
    QCOMPARE(box->objectName(), member);
    QCOMPARE(controlId(box), id);
    QCOMPARE(box->geometry(), geometry);
    QCOMPARE(box->text(), text);
    QCOMPARE(box->isChecked(), checked);
    QVERIFY(!box->isTristate());
}

void EffectWindowsTest::dropDowns_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("geometry"); // height: the opened list's
    QTest::addColumn<QStringList>("entries");
    ROW(rotary, RotarySpeed) << 290 << QRect(170, 50, 60, 75) << QStringList{"Slow", "Fast"};
    ROW(compressor, CRatio) << 277 << QRect(30, 50, 100, 140)
                            << QStringList{"off", "1.4:1", "2:1", "3:1", "6:1", "infinity:1"};
    ROW(reverb, ReverbType) << 262 << QRect(20, 130, 150, 75) << QStringList{"Spring Reverb", "Room Reverb"};
    ROW(pedals, VolPosition) << 241 << QRect(20, 130, 150, 75)
                             << QStringList{"Pre-Tube Drive", "Post-Tube Drive"};
}

void EffectWindowsTest::dropDowns() {
    QFETCH(QWidget*, control);
    QFETCH(QString, member);
    QFETCH(int, id);
    QFETCH(QRect, geometry);
    QFETCH(QStringList, entries);
    auto* list = qobject_cast<QComboBox*>(control);
    QVERIFY(list);
    QCOMPARE(list->objectName(), member);
    QCOMPARE(controlId(list), id);
    QCOMPARE(list->pos(), geometry.topLeft());
    QCOMPARE(list->width(), geometry.width());
    QCOMPARE(list->property("openHeight").toInt(), geometry.height());
    QVERIFY(!list->isEditable());
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    QCOMPARE(shown, entries);
    QCOMPARE(list->currentIndex(), -1);
    QVERIFY(list->currentText().isEmpty());
    // The closed box stays inside its panel.
    QVERIFY(list->parentWidget()->rect().contains(list->geometry()));
}

void EffectWindowsTest::noTextIsClipped_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("text");
    for (DEffectWindow* window : all)
        for (QWidget* child : window->findChildren<QWidget*>()) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(child))
                text = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(child))
                text = button->text();
            else
                continue;
            QTest::addRow("%s", qPrintable(child->objectName())) << child << text;
        }
    // The two labels that later show values, at their widest.
    for (const char* text : {"Feedback(-)", "Feedback(0)", "Feedback(+)"})
        QTest::addRow("StaticChFeedback %s", text) << (QWidget*)chorus->StaticChFeedback << QString(text);
    QTest::newRow("StaticDelayTime 3150 mS")
        << (QWidget*)delay->StaticDelayTime << QStringLiteral("Delay Time:  3150 mS");
}

// With the default font every text fits its control's width and height; for check boxes and buttons,
// the part of the control the style leaves for the text after the indicator and the margins.
void EffectWindowsTest::noTextIsClipped() {
    QFETCH(QWidget*, control);
    QFETCH(QString, text);
    const QFontMetrics metrics = control->fontMetrics();
    QRect room = control->rect();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        const bool isCheckBox = qobject_cast<QCheckBox*>(button);
        room = button->style()->subElementRect(
            isCheckBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    }
    QVERIFY2(metrics.horizontalAdvance(text) <= room.width(),
             qPrintable(QString("needs %1, has %2").arg(metrics.horizontalAdvance(text)).arg(room.width())));
    QVERIFY2(metrics.height() <= room.height(),
             qPrintable(QString("needs %1, has %2").arg(metrics.height()).arg(room.height())));
}

QTEST_MAIN(EffectWindowsTest)
#include "effect_windows_qtest.moc"
