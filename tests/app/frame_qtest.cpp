// The main window as a user first sees it: layout, start-up state, menu, title, help, About.
#include "app/DFrame.h"
#include "app/PanelControls.h"
#include "support/FrameHarness.h"
#include "tone/DEffectWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;

namespace {

struct Place {
    const char* member;
    int id;
    QRect geometry;
    QString text;
};

const Place kPanel[] = {
    {"Drive", 201, {20, 30, 32, 136}, {}},
    {"StaticDrive", 208, {20, 10, 55, 17}, "Drive"},
    {"Drive2", 202, {77, 30, 32, 136}, {}},
    {"StaticDrive2", 209, {72, 10, 55, 17}, "Drive2"},
    {"Bass", 203, {134, 30, 32, 136}, {}},
    {"StaticBass", 210, {134, 10, 55, 17}, "Bass"},
    {"Mid", 204, {191, 30, 32, 136}, {}},
    {"StaticMid", 211, {185, 10, 55, 17}, "Middle"},
    {"Treble", 205, {248, 30, 32, 136}, {}},
    {"StaticTreble", 212, {241, 10, 55, 17}, "Treble"},
    {"Presence", 206, {305, 30, 32, 136}, {}},
    {"StaticPresence", 213, {290, 10, 80, 17}, "Presence"},
    {"ChVol", 207, {362, 30, 32, 136}, {}},
    {"StaticChVol", 214, {356, 10, 60, 17}, "Volume"},
    {"Distortion", 222, {20, 170, 90, 25}, "Distortion"},
    {"DriveBoost", 217, {125, 170, 90, 25}, "Vol Boost"},
    {"PresBoost", 223, {230, 170, 90, 25}, "Presence"},
    {"Bright", 224, {335, 170, 70, 25}, "Bright"},
    {"StaticAmpModel", 216, {20, 202, 160, 17}, "Amp Model: (Linked)"},
    {"StaticCabSel", 225, {220, 202, 120, 17}, "Cabinet Type:"},
    {"Air", 226, {230, 270, 160, 32}, {}},
    {"StaticAir", 227, {230, 252, 100, 17}, "AIR Level"},
    {"StaticAirMin", 229, {230, 303, 40, 17}, "min"},
    {"StaticAirMax", 230, {360, 303, 40, 17}, "max"},
    {"StaticEffectSel", 218, {20, 252, 80, 17}, "Effects:"},
    {"TremChor", 233, {20, 300, 110, 25}, "Trem/Chorus"},
};

QString textOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* box = qobject_cast<QCheckBox*>(w))
        return box->text();
    return {};
}

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text() + "=" + action->data().toString());
    return texts;
}

} // namespace

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void everyPanelControlIsInItsPlaceWithItsStartState() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        for (const Place& p : kPanel) {
            auto* w = f.findChild<QWidget*>(QString::fromLatin1(p.member));
            QVERIFY2(w, p.member);
            QCOMPARE(controlId(w), p.id);
            QCOMPARE(w->geometry(), p.geometry);
            QCOMPARE(textOf(w), p.text);
        }
        for (QSlider* s : {f.Drive, f.Drive2, f.Bass, f.Mid, f.Treble, f.Presence, f.ChVol, f.Air}) {
            QCOMPARE(s->value(), 64);
            QCOMPARE(s->minimum(), 0);
            QCOMPARE(s->maximum(), 127);
            QCOMPARE(s->tickInterval(), 13);
            // Vertical sliders have their minimum at the top.
            QCOMPARE(s->invertedAppearance(), s->orientation() == Qt::Vertical);
        }
        QCOMPARE(f.Air->orientation(), Qt::Horizontal);
        QVERIFY(f.Bright->isChecked());
        for (QCheckBox* b : {f.Distortion, f.DriveBoost, f.PresBoost, f.TremChor})
            QVERIFY(!b->isChecked());
        QVERIFY(!f.Drive2->isHidden());

        struct ListCase {
            QComboBox* list;
            int count;
            QString first, last;
            QRect place;
        } lists[] = {
            {f.AmpModel, 32, "Tube Preamp", "POD Insane", {20, 220, 150, 150}},
            {f.EffectSel, 16, "Bypass", "Delay/Swell", {20, 270, 150, 150}},
            {f.CabSel, 16, "1x8 Tweed Champ", "No Cab", {220, 220, 175, 150}},
        };
        for (const auto& l : lists) {
            QCOMPARE(l.list->count(), l.count);
            QCOMPARE(l.list->itemText(0), l.first);
            QCOMPARE(l.list->itemText(l.count - 1), l.last);
            QCOMPARE(l.list->currentIndex(), -1);
            QCOMPARE(l.list->pos(), l.place.topLeft());
            QCOMPARE(l.list->width(), l.place.width());
            QCOMPARE(l.list->property("openHeight").toInt(), l.place.height());
        }
        QCOMPARE(f.AmpModel->itemText(24), QStringLiteral("California Crunch 1"));
        QCOMPARE(f.EffectSel->itemText(9), QStringLiteral("Delay/Compressor"));
        QCOMPARE(f.CabSel->itemText(12), QStringLiteral("4x12 Marshall 70's"));
    }

    void theWindowIsFixedAndOnlyTheAlwaysVisiblePanelsShow() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        QCOMPARE(f.centralWidget()->size(), QSize(700, 515));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!f.windowIcon().isNull());

        const QHash<QString, bool> shown = {{"Pedals Setup", true},        {"Noise Gate Setup", true},
                                            {"Reverb Setup", true},        {"Delay Setup", true},
                                            {"Compressor Setup", false},   {"Volume Swell Setup", false},
                                            {"Tremolo Setup", false},      {"Rotary Setup", false},
                                            {"Chorus Setup", false},       {"Patch Name", true}};
        int seen = 0;
        for (QWidget* child : f.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!shown.contains(child->windowTitle()))
                continue;
            ++seen;
            QCOMPARE(child->isVisible(), shown.value(child->windowTitle()));
        }
        QCOMPARE(seen, 10);
    }

    void theMenuHasEveryItemWithItsIdAndLetter() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        const QList<QAction*> top = f.menuBar()->actions();
        QCOMPARE(top.size(), 4);
        QCOMPARE(top[0]->text(), QStringLiteral("&File"));
        QCOMPARE(menuTexts(top[0]->menu()),
                 (QStringList{"&Open...=106", "&Save...=105", "Save &All...=145", "&Import...=107", "-",
                              "&Read POD settings=104", "-", "E&xit=101"}));
        QCOMPARE(top[1]->text(), QStringLiteral("&Patch"));
        QMenu* patch = top[1]->menu();
        QCOMPARE(patch->actions().size(), 10);
        QCOMPARE(menuTexts(patch).first(), QStringLiteral("&Manual Mode=108"));
        QCOMPARE(patch->actions()[1]->text(), QStringLiteral("Bank &1"));
        QCOMPARE(menuTexts(patch->actions()[1]->menu()), (QStringList{"1&A=109", "1&B=110", "1&C=111", "1&D=112"}));
        QCOMPARE(patch->actions()[9]->text(), QStringLiteral("Bank &9"));
        QCOMPARE(menuTexts(patch->actions()[9]->menu()), (QStringList{"9&A=141", "9&B=142", "9&C=143", "9&D=144"}));
        QCOMPARE(top[2]->text(), QStringLiteral("&Options"));
        QCOMPARE(menuTexts(top[2]->menu()), (QStringList{"&Midi Setup=103", "&Link Amp Model=146"}));
        QVERIFY(f.menuAction(146)->isChecked());
        QCOMPARE(top[3]->text(), QStringLiteral("&Help"));
        QCOMPARE(menuTexts(top[3]->menu()), (QStringList{"Help &Topics=147", "-", "&About...=102"}));
    }

    void linkAmpModelTogglesLabelAndCheckAndSendsNothing() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.midi.clearLog();
        f.menuAction(146)->trigger();
        QCOMPARE(f.AmpModel_linked, 0);
        QCOMPARE(f.StaticAmpModel->text(), QStringLiteral("Amp Model: (UnLinked)"));
        QVERIFY(!f.menuAction(146)->isChecked());
        f.menuAction(146)->trigger();
        QCOMPARE(f.AmpModel_linked, 1);
        QCOMPARE(f.StaticAmpModel->text(), QStringLiteral("Amp Model: (Linked)"));
        QVERIFY(f.menuAction(146)->isChecked());
        QVERIFY(h.midi.sent.empty());
    }

    void helpTwiceKeepsOneWindowAndItClosesWithTheEditor() {
        auto helpWindows = [] {
            int n = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                n += w->isVisible() && w->windowTitle() == QStringLiteral("Amplix 32 Help");
            return n;
        };
        {
            FrameHarness h;
            DFrame& f = h.startConnected();
            f.menuAction(147)->trigger();
            QCOMPARE(helpWindows(), 1);
            QPointer<QWidget> first;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowTitle() == QStringLiteral("Amplix 32 Help"))
                    first = w;
            f.menuAction(147)->trigger();
            QCOMPARE(helpWindows(), 1);
            QVERIFY(!first || !first->isVisible());
        }
        QCOMPARE(helpWindows(), 0);
    }

    void aboutShowsItsCaptionAndCloses() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QString caption;
        DialogWatcher dialogs([&](QWidget* dialog) {
            caption = dialog->windowTitle();
            static_cast<QDialog*>(dialog)->accept();
        });
        f.menuAction(102)->trigger();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(caption, QStringLiteral("About Amplix 32"));
    }

    void exitClosesTheWindow() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        f.menuAction(101)->trigger();
        QVERIFY(!f.isVisible());
    }

    void tabWalksThePanelInOrder() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.Drive->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.Drive2);
        // The arrow keys move a vertical slider the way they point: up toward the top (minimum).
        const int before = f.Drive2->value();
        QTest::keyClick(f.Drive2, Qt::Key_Up);
        QCOMPARE(f.Drive2->value(), before - 1);
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
