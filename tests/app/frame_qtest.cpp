// The main window as a user first sees it: panels, texts, start-up state, menu, help, About, colours.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "support/FrameHarness.h"
#include "tone/ToneControls.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <functional>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The texts of a panel's own labels, boxes and buttons in the order they were made, "|"-joined.
QString textsOf(const QWidget* panel) {
    QStringList texts;
    for (QObject* child : panel->children()) {
        if (auto* label = qobject_cast<QLabel*>(child); label && !label->text().isEmpty())
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(child))
            texts << button->text();
    }
    return texts.join('|');
}

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-")
                                        : action->text() + "=" + action->data().toString());
    return texts;
}

int helpWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += w->isVisible() && w->windowTitle() == QStringLiteral("Amplix 32 Help");
    return n;
}

} // namespace

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void panelsSitInTheirPlacesWithTheirTexts() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        QCOMPARE(f.centralWidget()->size(), QSize(700, 515 + DStatusLine::kHeight)); // the status line below
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(textsOf(f.centralWidget()),
                 QStringLiteral("Drive|Drive2|Bass|Middle|Treble|Presence|Volume|"
                                "Distortion|Vol Boost|Presence|Bright|Amp Model: (Linked)|"
                                "Cabinet Type:|AIR Level|min|max|Effects:|Trem/Chorus"));
        const struct {
            const char* title;
            QRect place;
            bool shown;
            const char* texts;
        } panels[] = {
            {"Pedals Setup", {420, 165, 280, 165}, true, "Wah|Vol|Min|Volume Pedal Location:|Wah|Bottom|Top"},
            {"Noise Gate Setup", {250, 330, 170, 135}, true, "Threshold|Decay|Noise Gate"},
            {"Reverb Setup", {420, 0, 280, 165}, true, "Reverb|Tone|Decay|Diff|Dens|Reverb Type:|Reverb"},
            {"Delay Setup", {420, 330, 280, 135}, true, "Delay|Level|Delay Feedback|Delay Time:"},
            {"Compressor Setup", {0, 330, 250, 135}, false, "Compression Ratio"},
            {"Volume Swell Setup", {0, 330, 250, 135}, false, "Swell Attack Speed"},
            {"Tremolo Setup", {0, 330, 250, 135}, false, "Speed|Depth"},
            {"Rotary Setup", {0, 330, 250, 135}, false, "Speed:|Fast|Slow|Depth"},
            {"Chorus Setup", {0, 330, 250, 135}, false, "Delay|Speed|Depth|Feedback"},
            {"Patch Name", {0, 465, 700, 50}, true, "Patch Name:|Change Patch Name|Save Patch To POD..."},
        };
        QHash<QString, QFrame*> byTitle;
        for (auto* panel : f.centralWidget()->findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
            if (!panel->windowTitle().isEmpty())
                byTitle.insert(panel->windowTitle(), panel);
        QCOMPARE(byTitle.size(), 10);
        for (const auto& p : panels) {
            QFrame* panel = byTitle.value(p.title);
            QVERIFY2(panel && !panel->isWindow(), p.title); // child panels without a caption bar
            QCOMPARE(panel->geometry(), p.place);
            QCOMPARE(panel->isVisible(), p.shown);
            QCOMPARE(panel->frameShape(), QFrame::Box);
            QCOMPARE(panel->backgroundRole(), QPalette::Button);
            QCOMPARE(textsOf(panel), QString::fromLatin1(p.texts));
        }
        // Every control inside its panel; no text clipped, nor the values two labels show later at their
        // widest, nor a 16-character name of ordinary width.
        auto label = [&](const char* name) { return f.centralWidget()->findChild<QLabel*>(name); };
        QList<std::pair<QWidget*, QString>> texts = {{label("StaticChFeedback"), "Feedback(-)"},
                                                     {label("StaticChFeedback"), "Feedback(+)"},
                                                     {label("StaticDelayTime"), "Delay Time:  3150 mS"},
                                                     {label("StaticPatchNameData"), "Brit Hi Gain Ld2"}};
        for (QWidget* w : f.centralWidget()->findChildren<QWidget*>()) {
            if (auto* l = qobject_cast<QLabel*>(w))
                texts.append({w, l->text()});
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                texts.append({w, button->text()});
            else if (!qobject_cast<QSlider*>(w) && !qobject_cast<QComboBox*>(w))
                continue;
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        for (const auto& [w, text] : texts)
            QVERIFY2(testsupport::textClipping(w, text).isEmpty(),
                     qPrintable(testsupport::textClipping(w, text)));
    }

    void everyControlStartsInItsSetUpState() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QStringList states;
        for (QWidget* w : f.centralWidget()->findChildren<QWidget*>()) {
            if (auto* s = qobject_cast<QSlider*>(w)) {
                const bool time = s->objectName() == QStringLiteral("DelayTime");
                QCOMPARE(s->minimum(), 0);
                QCOMPARE(s->maximum(), time ? 3150 : 127);
                QCOMPARE(s->tickInterval(), time ? 315 : 13);
                // Vertical sliders have their minimum at the top.
                QCOMPARE(s->invertedAppearance(), s->orientation() == Qt::Vertical);
                QCOMPARE(s->orientation() == Qt::Horizontal,
                         QStringList({"Air", "DelayFeedback", "DelayTime"}).contains(s->objectName()));
            }
            if (auto* list = qobject_cast<QComboBox*>(w))
                states << QStringLiteral("%1=%2/%3")
                              .arg(w->objectName())
                              .arg(list->currentIndex())
                              .arg(list->count());
            else if (qobject_cast<QSlider*>(w) || qobject_cast<QCheckBox*>(w))
                states << w->objectName() + "=" + QString::number(controlState(w));
        }
        QCOMPARE(states.join(' '),
                 QStringLiteral(
                     "Drive=64 Drive2=64 Bass=64 Mid=64 Treble=64 Presence=64 ChVol=64 Distortion=0 "
                     "DriveBoost=0 PresBoost=0 Bright=1 AmpModel=-1/32 CabSel=-1/16 Air=64 EffectSel=-1/16 "
                     "TremChor=0 VolLevel=0 VolMin=127 VolPosition=-1/2 WahLevel=0 WahBottom=127 WahTop=0 "
                     "Wah=0 GateThreshold=127 GateDecayTime=127 NoiseGate=0 ReverbDecay=63 ReverbTone=63 "
                     "ReverbType=-1/2 ReverbDiffusion=63 ReverbDensity=63 ReverbLevel=63 Reverb=1 "
                     "DelayLevel=127 DelayFeedback=0 DelayTime=0 Delay=0 CRatio=-1/6 Swell=127 "
                     "TremSpeed=127 TremDepth=127 RotaryMax=127 RotaryMin=127 RotaryDepth=127 "
                     "RotarySpeed=-1/2 ChSpeed=127 ChDepth=127 ChFeedback=127 ChPreDelay=127"));
        auto entries = [&](const char* member, std::initializer_list<int> indices) {
            QStringList texts;
            for (int index : indices)
                texts << f.centralWidget()->findChild<QComboBox*>(member)->itemText(index);
            return texts.join('|');
        };
        QCOMPARE(entries("AmpModel", {0, 24, 31}),
                 QStringLiteral("Tube Preamp|California Crunch 1|POD Insane"));
        QCOMPARE(entries("CabSel", {0, 12, 15}), QStringLiteral("1x8 Tweed Champ|4x12 Marshall 70's|No Cab"));
        QCOMPARE(entries("RotarySpeed", {0, 1}), QStringLiteral("Slow|Fast"));
        QCOMPARE(entries("CRatio", {0, 1, 2, 3, 4, 5}), QStringLiteral("off|1.4:1|2:1|3:1|6:1|infinity:1"));
        QCOMPARE(entries("ReverbType", {0, 1}), QStringLiteral("Spring Reverb|Room Reverb"));
        QCOMPARE(entries("VolPosition", {0, 1}), QStringLiteral("Pre-Tube Drive|Post-Tube Drive"));
    }

    void theMenuHasEveryItemWithItsIdAndLetter() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        const QList<QAction*> top = f.menuBar()->actions();
        QCOMPARE(top.size(), 5);
        QCOMPARE(top[0]->text(), QStringLiteral("&File"));
        QCOMPARE(menuTexts(top[0]->menu()),
                 (QStringList{"&Open...=106", "&Save...=105", "Save &All...=145", "&Import...=107", "-",
                              "&Read POD settings=104", "-", "E&xit=101"}));
        // Undo and redo of the sound, between File and Patch.
        QCOMPARE(top[1]->text(), QStringLiteral("&Edit"));
        QCOMPARE(menuTexts(top[1]->menu()),
                 (QStringList{"&Undo=149", "&Redo=150", "-", "&Compare with stored=151"}));
        QCOMPARE(top[2]->text(), QStringLiteral("&Patch"));
        QMenu* patch = top[2]->menu();
        // The library follows the banks, after a separator.
        QCOMPARE(patch->actions().size(), 12);
        QCOMPARE(menuTexts(patch).first(), QStringLiteral("&Manual Mode=108"));
        QCOMPARE(menuTexts(patch).mid(10), (QStringList{"-", "&Library...=148"}));
        QCOMPARE(patch->actions()[1]->text(), QStringLiteral("Bank &1"));
        QCOMPARE(menuTexts(patch->actions()[1]->menu()),
                 (QStringList{"1&A=109", "1&B=110", "1&C=111", "1&D=112"}));
        QCOMPARE(patch->actions()[9]->text(), QStringLiteral("Bank &9"));
        QCOMPARE(menuTexts(patch->actions()[9]->menu()),
                 (QStringList{"9&A=141", "9&B=142", "9&C=143", "9&D=144"}));
        QCOMPARE(top[3]->text(), QStringLiteral("&Options"));
        QCOMPARE(menuTexts(top[3]->menu()),
                 (QStringList{"&Midi Setup=103", "&Link Amp Model=146", "-", "&Reset Simulator...=160"}));
        QCOMPARE(top[4]->text(), QStringLiteral("&Help"));
        QCOMPARE(menuTexts(top[4]->menu()), (QStringList{"Help &Topics=147", "-", "&About...=102"}));
    }

    // The keys every desktop program has run the very commands of their menu items.
    void theUsualKeysRunTheMenuCommands() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const Bytes editRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());
        int fileDialogs = 0;
        DialogWatcher dialogs([&](QWidget* d) {
            fileDialogs += qobject_cast<QFileDialog*>(d) != nullptr;
            static_cast<QDialog*>(d)->reject();
        });
        const std::function<bool()> ran[] = {
            [&] { return h.midi.sentSysex() == std::vector<Bytes>{editRequest}; },
            [&] { return h.midi.sentSysex() == std::vector<Bytes>{editRequest} && f.Save_flag == 1; },
            [&] { return fileDialogs == 1; },
            [&] {
                const bool shown = helpWindows() == 1;
                // It has the keys now; closed, they go back to the editor.
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->windowTitle() == QStringLiteral("Amplix 32 Help"))
                        w->close();
                return shown;
            },
            [&] { return !f.isVisible(); },
        };
        const std::pair<int, QKeySequence> keys[] = {{CM_FILEREAD, QKeySequence(Qt::Key_F5)},
                                                     {CM_FILESAVE, QKeySequence(Qt::CTRL | Qt::Key_S)},
                                                     {CM_FILEOPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
                                                     {CM_HELPCONTENTS, QKeySequence(Qt::Key_F1)},
                                                     {CM_FILEEXIT, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
        for (std::size_t n = 0; n < std::size(keys); ++n) {
            const auto& [id, key] = keys[n];
            QAction* action = f.menuAction(id);
            QCOMPARE(action->shortcut(), key); // and so shown beside the item
            QSignalSpy triggered(action, &QAction::triggered);
            h.releaseRequest();
            h.midi.clearLog();
            f.activateWindow(); // the help window may have taken the keys
            QVERIFY(QTest::qWaitForWindowActive(&f));
            QTest::keySequence(&f, key);
            FrameHarness::settle();
            QVERIFY2(triggered.count() == 1, qPrintable(key.toString()));
            QVERIFY2(ran[n](), qPrintable(key.toString()));
        }
    }

    void helpTwiceKeepsOneWindowAndItClosesWithTheEditor() {
        {
            FrameHarness h;
            DFrame& f = h.startConnected();
            f.menuAction(CM_HELPCONTENTS)->trigger();
            QCOMPARE(helpWindows(), 1);
            f.menuAction(CM_HELPCONTENTS)->trigger();
            QCOMPARE(helpWindows(), 1);
        }
        QCOMPARE(helpWindows(), 0);
    }

    void aboutShowsItsCaptionAndExitCloses() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        QString caption;
        DialogWatcher dialogs([&](QWidget* dialog) {
            caption = dialog->windowTitle();
            static_cast<QDialog*>(dialog)->accept();
        });
        f.menuAction(CM_HELPABOUT)->trigger();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(caption, QStringLiteral("About Amplix 32"));
        f.menuAction(CM_FILEEXIT)->trigger();
        QVERIFY(!f.isVisible());
    }

    void panelsFollowTheSystemColours() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        const QPalette original = QApplication::palette();
        QPalette changed = original;
        changed.setColor(QPalette::Button, QColor(10, 120, 30));
        changed.setColor(QPalette::Base, QColor(200, 10, 90));
        QApplication::setPalette(changed);
        QCoreApplication::processEvents();
        QCOMPARE(f.centralWidget()->palette().color(QPalette::Window), QColor(10, 120, 30));
        QCOMPARE(f.AmpModel->palette().color(QPalette::Button), QColor(200, 10, 90));
        QApplication::setPalette(original);
    }
};

QTEST_MAIN(FrameTest)
#include "frame_qtest.moc"
