// Values the user can read: the label beside a slider being moved, the name-and-value tooltips, and
// sliders whose groove does not contradict the value.
#include "app/DFrame.h"
#include "app/PanelControls.h"
#include "app/PlainGrooveStyle.h"
#include "app/ValueTips.h"
#include "support/FrameHarness.h"
#include "support/PanelLabels.h"
#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"
#include "tone/ToneControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QSlider>
#include <QStyleFactory>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <memory>

using namespace amplix;
using testsupport::addRows;
using testsupport::FrameHarness;
using testsupport::labelBeside;
using testsupport::sliderThumb;

namespace {

enum class Way { Drag, Wheel, Keys, Groove };

// A user's gesture on a slider and the value label after each of its steps: drag positions,
// wheel notches (+1 away from the user), keys, or groove clicks (+1 past the thumb's far side).
struct Gesture {
    const char* what;
    const char* member;
    int from;
    Way way;
    QList<int> steps;
    QStringList shown;
    int tipFontPoints = 0; // the tooltip font's size, if not the usual
};
const Gesture kGestures[] = {
    // Reversed: the top sends 127.
    {"reversed panel slider dragged to the top", "Bass", 64, Way::Drag, {30, 0}, {"97", "127"}},
    {"direct vertical slider dragged", "GateThreshold", 127, Way::Drag, {64}, {"64"}},
    {"effect window slider wheeled up", "ReverbDecay", 63, Way::Wheel, {1, 1}, {"67", "70"}},
    {"chorus speed wheeled down", "ChSpeed", 64, Way::Wheel, {-1}, {"67"}},
    {"delay time stepped", "DelayTime", 1249, Way::Keys, {Qt::Key_Right}, {"1250 ms"}},
    {"delay time to its end", "DelayTime", 0, Way::Keys, {Qt::Key_End}, {"3150 ms"}},
    {"Air paged by a groove click", "Air", 64, Way::Groove, {1}, {"89"}},
    // At the window's right edge, in a large tooltip font, the label goes to the thumb's other side.
    {"at the window's edge", "WahBottom", 127, Way::Keys, {Qt::Key_Home, Qt::Key_Down}, {"127", "126"}, 20},
};

QLabel* valueTip(DFrame& f) {
    return f.findChild<QLabel*>(QString::fromLatin1(kValueTipName));
}

// The slider's window alone in the modulation slot, the slider with the focus.
void bringUp(DFrame& f, QSlider* slider) {
    for (QWidget* w :
         QList<QWidget*>{f.ChorusWindow, f.RotaryWindow, f.TremoloWindow, f.SwellWindow, f.CompressorWindow})
        w->hide();
    slider->parentWidget()->show();
    slider->setFocus();
    QTRY_VERIFY(slider->hasFocus());
}

// Empty when the label stands right beside the thumb, level with it, inside the window and off the
// thumb; otherwise what is wrong.
QString misplaced(const QLabel* tip, const QSlider* slider) {
    QWidget* window = slider->window();
    if (tip->parentWidget() != window)
        return QStringLiteral("not a child of the window");
    const QRect at = tip->geometry();
    const QRect thumb = sliderThumb(slider).translated(slider->mapTo(window, QPoint(0, 0)));
    const auto where = [&] {
        return QStringLiteral(" (label %1,%2 %3x%4, thumb %5,%6 %7x%8)")
            .arg(at.x())
            .arg(at.y())
            .arg(at.width())
            .arg(at.height())
            .arg(thumb.x())
            .arg(thumb.y())
            .arg(thumb.width())
            .arg(thumb.height());
    };
    if (!window->rect().contains(at))
        return "outside the window" + where();
    if (at.intersects(thumb))
        return "on the thumb" + where();
    constexpr int kNear = 8;
    if (!thumb.adjusted(-kNear - at.width(), -kNear - at.height(), kNear + at.width(), kNear + at.height())
             .contains(at))
        return "away from the thumb" + where();
    const bool level = slider->orientation() == Qt::Vertical
                           ? at.center().y() >= thumb.top() && at.center().y() <= thumb.bottom()
                           : at.center().x() >= thumb.left() && at.center().x() <= thumb.right();
    return level ? QString() : "not level with the thumb" + where();
}

void wheel(QSlider* slider, int notches) {
    const QPoint at = sliderThumb(slider).center();
    QWheelEvent event(at, slider->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &event);
}

// A click on the groove beyond the thumb, as far as the groove reaches.
void clickGroove(QSlider* slider) {
    const QRect thumb = sliderThumb(slider);
    const QPoint at = slider->orientation() == Qt::Horizontal
                          ? QPoint(thumb.right() + 12, thumb.center().y())
                          : QPoint(thumb.center().x(), thumb.bottom() + 12);
    QTest::mouseClick(slider, Qt::LeftButton, {}, at);
}

// What the tooltip says when the mouse rests on the control.
QString hover(QWidget* control) {
    QToolTip::hideText();
    const QPoint at = control->rect().center();
    QTest::mouseMove(control, at);
    QHelpEvent help(QEvent::ToolTip, at, control->mapToGlobal(at));
    QApplication::sendEvent(control, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QStringLiteral("(no tooltip)");
}

// A slider as the panels make it, and the pixels it draws at an end of its range.
struct SliderLook {
    const char* what;
    Qt::Orientation orientation;
    bool inverted;
};
const SliderLook kLooks[] = {
    {"vertical, minimum at the top", Qt::Vertical, true},
    {"vertical, minimum at the bottom", Qt::Vertical, false},
    {"horizontal, minimum at the left", Qt::Horizontal, false},
    {"horizontal, minimum at the right", Qt::Horizontal, true},
};

std::unique_ptr<QWidget> panelWith(const SliderLook& look, bool plainStyle, QSlider** slider) {
    auto panel = std::make_unique<QWidget>();
    panel->resize(200, 200);
    const QRect place = look.orientation == Qt::Vertical ? QRect(10, 10, 32, 136) : QRect(10, 10, 160, 32);
    *slider = look.orientation == Qt::Vertical ? makeVerticalSlider(panel.get(), "Look", 1, place)
                                               : makeHorizontalSlider(panel.get(), "Look", 1, place);
    (*slider)->setInvertedAppearance(look.inverted);
    if (plainStyle)
        (*slider)->setStyle(QApplication::style());
    return panel;
}

QImage drawnAt(QSlider* slider, int position) {
    setControlState(slider, position);
    return slider->grab().toImage();
}

// The pixels that differ between the two pictures, outside the thumbs at both ends and a margin.
int differencesAwayFromThumbs(QSlider* slider) {
    const QImage atMinimum = drawnAt(slider, slider->minimum());
    const QRect thumbAtMinimum = sliderThumb(slider).adjusted(-2, -2, 2, 2);
    const QImage atMaximum = drawnAt(slider, slider->maximum());
    const QRect thumbAtMaximum = sliderThumb(slider).adjusted(-2, -2, 2, 2);
    int differences = 0;
    for (int y = 0; y < atMinimum.height(); ++y)
        for (int x = 0; x < atMinimum.width(); ++x)
            if (!thumbAtMinimum.contains(x, y) && !thumbAtMaximum.contains(x, y) &&
                atMinimum.pixel(x, y) != atMaximum.pixel(x, y))
                ++differences;
    return differences;
}

} // namespace

class ValueTipsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The groove test compares with Fusion's own drawing, which colours the groove.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void movedSlidersShowTheirValueBesideTheThumb_data() {
        addRows(kGestures, [](const Gesture& g) { return QString(g.member) + ": " + g.what; });
    }
    void movedSlidersShowTheirValueBesideTheThumb() {
        QFETCH(int, row);
        const Gesture& g = kGestures[row];
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        auto* slider = qobject_cast<QSlider*>(f.toneControl(g.member));
        QLabel* tip = valueTip(f);
        QVERIFY(slider && tip);
        setControlState(slider, g.from);
        bringUp(f, slider);
        const QFont usualTipFont = QToolTip::font();
        const auto restoreTipFont = qScopeGuard([&] { QToolTip::setFont(usualTipFont); });
        if (g.tipFontPoints) {
            QFont large = usualTipFont;
            large.setPointSize(g.tipFontPoints);
            QToolTip::setFont(large);
        }
        QVERIFY(!tip->isVisible());
        QCOMPARE(tip->textFormat(), Qt::PlainText);

        // A drag's points, found while the thumb is still where the mouse takes it.
        const QPoint press = sliderThumb(slider).center();
        QList<QPoint> path;
        for (int step : g.steps)
            path << testsupport::sliderDragPoint(slider, press, step);
        if (g.way == Way::Drag)
            QTest::mousePress(slider, Qt::LeftButton, {}, press);
        for (int i = 0; i < g.steps.size(); ++i) {
            const int step = g.steps[i];
            switch (g.way) {
            case Way::Drag:
                QVERIFY(!path[i].isNull());
                QTest::mouseMove(slider, path[i]);
                break;
            case Way::Wheel:
                wheel(slider, step);
                break;
            case Way::Keys:
                QTest::keyClick(slider, Qt::Key(step));
                break;
            case Way::Groove:
                clickGroove(slider);
                break;
            }
            QVERIFY2(tip->isVisible(), qPrintable("after step " + QString::number(i)));
            QCOMPARE(tip->text(), g.shown[i]);
            QVERIFY2(misplaced(tip, slider).isEmpty(), qPrintable(misplaced(tip, slider)));
            QVERIFY2(testsupport::textClipping(tip, tip->text()).isEmpty(),
                     qPrintable(testsupport::textClipping(tip, tip->text())));
            QVERIFY2(testsupport::drawnOtherwise(tip).isEmpty(),
                     qPrintable(testsupport::drawnOtherwise(tip)));
        }
        // What the user is told is what the device was sent.
        const ToneParameter& parameter = *findParameter(g.member);
        QCOMPARE(tip->text(), QString::fromStdString(valueText(parameter, controlState(slider))));

        if (g.way == Way::Drag) {
            // Held still, the thumb keeps its label; let go, it goes soon.
            QTest::qWait(kValueTipHideMs + 200);
            QVERIFY(tip->isVisible());
            QTest::mouseRelease(slider, Qt::LeftButton, {},
                                testsupport::sliderDragPoint(slider, press, g.steps.last()));
            QTRY_VERIFY_WITH_TIMEOUT(!tip->isVisible(), kValueTipReleaseHideMs + 300);
            return;
        }
        QTest::qWait(kValueTipHideMs / 2);
        QVERIFY(tip->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!tip->isVisible(), kValueTipHideMs);
    }

    // Incoming MIDI and code set controls without the user: the tooltips follow, the label stays away.
    void programmaticChangesShowOnlyInTheTooltips() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        QLabel* tip = valueTip(f);
        QCOMPARE(hover(f.toneControl("Drive")), QStringLiteral("Drive: 63"));

        h.midi.deliver({0xB0, 13, 100});
        h.midi.deliver({0xB0, 25, 127});
        h.midi.deliver({0xB0, 71, 12});
        FrameHarness::settle(50);
        QCOMPARE(f.toneControl("Drive")->property("sliderPosition").toInt(), 27);
        setControlState(f.toneControl("DelayTime"), 1250);
        setControlState(f.toneControl("AmpModel"), 12);
        setControlState(f.toneControl("GateThreshold"), 0);
        FrameHarness::settle(50);
        QVERIFY(!tip->isVisible());

        const std::pair<const char*, const char*> tips[] = {
            {"Drive", "Drive: 100"},
            {"Distortion", "Distortion: On"},
            {"CabSel", "Cabinet Type: 4x12 Marshall 70's"},
            {"DelayTime", "Delay Time: 1250 ms"},
            {"AmpModel", "Amp Model: Brit Hi Gain"},
            {"GateThreshold", "Threshold: 0"},
            {"Bright", "Bright: On"},
            {"EffectSel", "Effects: (none)"},
        };
        for (auto [member, text] : tips)
            QCOMPARE(hover(f.toneControl(member)), QString::fromLatin1(text));
        QVERIFY(!tip->isVisible());
        QVERIFY(h.sentHex().isEmpty());
    }

    // A knob turned on the device while the mouse rests on its slider: the open tooltip changes.
    void anOpenTooltipFollowsTheDevice() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        QCOMPARE(hover(f.Drive2), QStringLiteral("Drive2: 63"));
        h.midi.deliver({0xB0, 20, 100});
        FrameHarness::settle();
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Drive2: 100"));
        QVERIFY(QToolTip::isVisible());
        QVERIFY(!valueTip(f)->isVisible());
    }

    // Every control of the tone map tells its name and value, as plain text; the name is the one
    // the user reads beside the control, as the set-up shows it.
    void everyControlHasATooltip() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        for (const ToneParameter& p : toneMap()) {
            if (p.member.empty())
                continue;
            const QString member = QString::fromLatin1(p.member.data(), qsizetype(p.member.size()));
            QWidget* control = f.toneControl(p.member);
            QVERIFY2(control, p.member.data());
            control->parentWidget()->show();
            const QString beside = labelBeside(control->parentWidget(), member);
            QVERIFY2(!beside.isEmpty(), p.member.data());
            const QString shown = hover(control);
            QCOMPARE(shown.section(QStringLiteral(": "), 0, 0), beside);
            QVERIFY2(!Qt::mightBeRichText(shown), qPrintable(shown));
        }
    }

    void everySliderHasThePlainGroove() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        const QList<QSlider*> sliders = f.findChildren<QSlider*>();
        QVERIFY(!sliders.isEmpty());
        for (QSlider* slider : sliders)
            QVERIFY2(qobject_cast<PlainGrooveStyle*>(slider->style()), qPrintable(slider->objectName()));
    }

    void theGrooveLooksTheSameWhereverTheThumbIs_data() {
        addRows(kLooks, [](const SliderLook& l) { return QString(l.what); });
    }
    void theGrooveLooksTheSameWhereverTheThumbIs() {
        QFETCH(int, row);
        const SliderLook& look = kLooks[row];
        QSlider* ours = nullptr;
        QSlider* fusion = nullptr;
        auto panel = panelWith(look, false, &ours);
        auto plain = panelWith(look, true, &fusion);
        QCOMPARE(differencesAwayFromThumbs(ours), 0);
        // Where Fusion's fill is empty, the two look alike to the pixel: nothing else changed.
        QCOMPARE(drawnAt(ours, ours->minimum()), drawnAt(fusion, fusion->minimum()));
        // Fusion itself colours the groove; else the first comparison proves nothing.
        QVERIFY(differencesAwayFromThumbs(fusion) > 0);
    }
};

QTEST_MAIN(ValueTipsTest)
#include "value_tips_qtest.moc"
