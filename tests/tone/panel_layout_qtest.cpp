// The main window built from the panel table: every item a widget at its place, every widget an item.
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DDelay.h"
#include "tone/DEffectWindow.h"
#include "tone/DGate.h"
#include "tone/DPedals.h"
#include "tone/DReverb.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"
#include "tone/PanelLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

using namespace amplix;
using testsupport::FrameHarness;

namespace {

// The room the core's layout test gives a closed drop-down below its top.
constexpr int kClosedListRoom = 25;

QString str(std::string_view s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

QRect rect(const PanelRect& r) {
    return QRect(r.x, r.y, r.w, r.h);
}

QWidget* windowOf(DFrame& f, ToneWindow window) {
    switch (window) {
    case ToneWindow::Frame:
        return f.centralWidget();
    case ToneWindow::Chorus:
        return f.ChorusWindow;
    case ToneWindow::Rotary:
        return f.RotaryWindow;
    case ToneWindow::Tremolo:
        return f.TremoloWindow;
    case ToneWindow::Swell:
        return f.SwellWindow;
    case ToneWindow::Compressor:
        return f.CompressorWindow;
    case ToneWindow::Delay:
        return f.DelayWindow;
    case ToneWindow::Reverb:
        return f.ReverbWindow;
    case ToneWindow::Gate:
        return f.GateWindow;
    case ToneWindow::Pedals:
        return f.PedalsWindow;
    }
    return nullptr;
}

QString kindName(PanelItemKind kind) {
    switch (kind) {
    case PanelItemKind::VerticalSlider:
        return QStringLiteral("vertical slider");
    case PanelItemKind::HorizontalSlider:
        return QStringLiteral("horizontal slider");
    case PanelItemKind::CheckBox:
        return QStringLiteral("check box");
    case PanelItemKind::DropDown:
        return QStringLiteral("drop-down");
    case PanelItemKind::Static:
        return QStringLiteral("static");
    }
    return {};
}

QString line(const QString& name, const QString& kind, const QRect& place, const QString& extra) {
    return QStringLiteral("%1: %2 at %3,%4 %5x%6 [%7]")
        .arg(name, kind)
        .arg(place.x())
        .arg(place.y())
        .arg(place.width())
        .arg(place.height())
        .arg(extra);
}

// A widget as a table line: its kind, geometry and text (a drop-down: its opened list's height).
QString describe(const QWidget* w) {
    QString kind = QStringLiteral("other"), extra;
    if (auto* slider = qobject_cast<const QSlider*>(w))
        kind = kindName(slider->orientation() == Qt::Vertical ? PanelItemKind::VerticalSlider
                                                              : PanelItemKind::HorizontalSlider);
    else if (auto* box = qobject_cast<const QCheckBox*>(w))
        kind = kindName(PanelItemKind::CheckBox), extra = box->text();
    else if (qobject_cast<const QComboBox*>(w))
        kind = kindName(PanelItemKind::DropDown), extra = w->property("openHeight").toString();
    else if (auto* label = qobject_cast<const QLabel*>(w))
        kind = kindName(PanelItemKind::Static), extra = label->text();
    return line(w->objectName(), kind, w->geometry(), extra);
}

bool isPanelControl(const QObject* o) {
    return qobject_cast<const QSlider*>(o) || qobject_cast<const QCheckBox*>(o) ||
           qobject_cast<const QComboBox*>(o) || qobject_cast<const QLabel*>(o);
}

} // namespace

class PanelLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void everyItemIsAWidgetAtItsPlaceWithItsText() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));

        for (const PanelWindow& w : panelWindows()) {
            QWidget* window = windowOf(f, w.window);
            QVERIFY(window);
            if (w.window == ToneWindow::Frame) // the status line adds its height below
                QCOMPARE(window->size(), QSize(w.place.w, w.place.h + DStatusLine::kHeight));
            else
                QCOMPARE(window->geometry(), rect(w.place));
        }

        // Each item as the table has it and as the window shows it, one line each, so a failure
        // names the widget.
        QStringList expected, shown;
        for (const PanelItem& item : panelItems()) {
            const QString name = str(item.name);
            QRect place = rect(item.place);
            QString kind = kindName(item.kind);
            QString extra = str(item.text);
            QWidget* widget = windowOf(f, item.window)->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
            if (item.kind == PanelItemKind::DropDown) {
                // The table holds the opened list's height; the closed box keeps its natural one.
                extra = QString::number(place.height());
                if (widget)
                    place.setHeight(widget->sizeHint().height());
            }
            expected << line(name, kind, place, extra);
            shown << (widget ? describe(widget) : name + " missing");
            if (auto* list = qobject_cast<QComboBox*>(widget))
                QVERIFY2(list->height() <= kClosedListRoom, qPrintable(name));
        }
        QCOMPARE(shown, expected);
    }

    void everyControlAndLabelOfThePanelsIsInTheTable() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QWidget* client = f.centralWidget();

        // No effect window beside the table's nine.
        int effectWindows = 0;
        for (QObject* child : client->children())
            effectWindows += qobject_cast<DEffectWindow*>(child) != nullptr;
        QCOMPARE(effectWindows, int(panelWindows().size()) - 1);

        int seen = 0;
        for (const PanelWindow& w : panelWindows()) {
            for (QObject* child : windowOf(f, w.window)->children()) {
                if (!isPanelControl(child))
                    continue;
                ++seen;
                const QByteArray name = child->objectName().toLatin1();
                const PanelItem* item = findPanelItem(std::string_view(name.constData(), name.size()));
                QVERIFY2(item, name.constData());
                QVERIFY2(item->window == w.window, name.constData());
            }
        }
        QCOMPARE(seen, int(panelItems().size()));
    }
};

QTEST_MAIN(PanelLayoutTest)
#include "panel_layout_qtest.moc"
