// The frame's life: construction, start-up, event dispatch, help, About, Link Amp Model, exit.
#include "app/DFrame.h"

#include "app/AppIcon.h"
#include "app/BusyCursor.h"
#include "app/CommandIds.h"
#include "app/DHelpAboutDialog.h"
#include "app/DHelpWindow.h"
#include "app/DStatusLine.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"
#include "app/ValueTips.h"
#include "patch/DLibraryWindow.h"
#include "patch/DPatchName.h"
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

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QTimer>
#include <QWindow>

namespace {
const QString kHelpCaption = qtText(amplix::text::kHelpTitle);
// The panel area; the status line adds its height below.
constexpr int kClientWidth = amplix::kPanelWidth;
constexpr int kClientHeight = amplix::kPanelHeight;
} // namespace

// Backend threads deliver MIDI input here; it only posts, the frame handles it in order.
class DFrame::InputSink : public amplix::MidiInputSink {
public:
    explicit InputSink(QObject* frame) : frame_(frame) {}
    void midiData(amplix::MidiHandle input, std::uint32_t message) override {
        QCoreApplication::postEvent(frame_, new MidiInputEvent(MM_MIM_DATA, input, message));
    }
    void midiLongData(amplix::MidiHandle input, std::shared_ptr<amplix::SysexBuffer> buffer) override {
        QCoreApplication::postEvent(frame_, new MidiInputEvent(MM_MIM_LONGDATA, input, 0, std::move(buffer)));
    }
    void midiError(amplix::MidiHandle input, std::uint32_t message) override {
        QCoreApplication::postEvent(frame_, new MidiInputEvent(MM_MIM_ERROR, input, message));
    }
    void midiLongError(amplix::MidiHandle input, std::shared_ptr<amplix::SysexBuffer> buffer) override {
        QCoreApplication::postEvent(frame_,
                                    new MidiInputEvent(MM_MIM_LONGERROR, input, 0, std::move(buffer)));
    }

private:
    QObject* frame_;
};

DFrame::DFrame(amplix::MidiService& midi, QWidget* parent)
    : QMainWindow(parent), midi_(midi), inputSink_(std::make_unique<InputSink>(this)),
      waitCursor_(std::make_unique<BusyCursor>()) {
    setObjectName(QStringLiteral("DFrame"));
    setWindowTitle(qtText(amplix::text::kAppName));
    setWindowIcon(amplixIcon(kWindowIconLargest));
    // A fixed-size window: border, system menu and minimize box, no sizing frame or maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    // The status line adds its height below everything else.
    client->setFixedSize(kClientWidth, kClientHeight + DStatusLine::kHeight);
    setCentralWidget(client);

    createPanel(client);
    createChildWindows(client);
    createMenu();
    updateEditMenu();
    collectToneControls();
    connectPanelHandlers();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void DFrame::setVisible(bool visible) {
    QMainWindow::setVisible(visible);
    if (!visible || placed_ || !windowHandle())
        return;
    placed_ = true;
    // The outer frame, title bar included, at the screen's top left. A widget's position is its
    // client area's (X11's static gravity), which a window manager honours by putting the title
    // above the screen; the frame's position holds only when set on the window once shown.
    windowHandle()->setFramePosition(QPoint(0, 0));
}

DFrame::~DFrame() {
    ClosePodMidiPorts();
    closeHelpWindow();
}

void DFrame::createChildWindows(QWidget* client) {
    PedalsWindow = new DPedals(client, QStringLiteral("Pedals Setup"));
    GateWindow = new DGate(client, QStringLiteral("Noise Gate Setup"));
    ReverbWindow = new DReverb(client, QStringLiteral("Reverb Setup"));
    DelayWindow = new DDelay(client, QStringLiteral("Delay Setup"));
    CompressorWindow = new DCompressor(client, QStringLiteral("Compressor Setup"));
    SwellWindow = new DSwell(client, QStringLiteral("Volume Swell Setup"));
    TremoloWindow = new DTremolo(client, QStringLiteral("Tremolo Setup"));
    RotaryWindow = new DRotary(client, QStringLiteral("Rotary Setup"));
    ChorusWindow = new DChorus(client, QStringLiteral("Chorus Setup"));
    PatchWindow = new DPatchName(client, QStringLiteral("Patch Name"));
    StatusLine = new DStatusLine(client, kClientHeight, kClientWidth);
}

void DFrame::SetupWindow() {
    // The child windows set up their own controls first, as their creation on screen would.
    for (DEffectWindow* window : effectWindows())
        window->SetupWindow();
    followSystemColours(this);

    PathAmplix = QDir::currentPath();

    PODMidiChannel = 0;
    PODMidiInPort = PODMidiOutPort = 0;
    PODMidiSet = 0;
    endRequest(RequestEnd::All);
    AmpModel_linked = 1;
    HPODMidiIn = HPODMidiOut = amplix::kNoHandle;

    setupPanel();

    ReverbWindow->show();
    PedalsWindow->show();
    DelayWindow->show();
    GateWindow->show();
    PatchWindow->show();
    attachValueTips(this);

    UpdateMidiSettings();
    if (closeRequested_)
        return;
    // A word on the simulator's saved patches stays until the start-up read says more.
    if (simulatorNotice_.isEmpty())
        CmFileRead();
    else
        readBackAfter(simulatorNotice_);
}

bool DFrame::deferWhileSending(QEvent* event) {
    if (sending_ == 0)
        return false;
    if (auto copy = copyFrameEvent(*event)) {
        deferred_.push_back(std::move(copy));
        return true;
    }
    return false;
}

// Ahead of anything posted since, in the order they came.
void DFrame::releaseDeferred() {
    for (auto& event : deferred_)
        QCoreApplication::postEvent(this, event.release(), Qt::HighEventPriority);
    deferred_.clear();
    if (closeAfterSending_) {
        closeAfterSending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void DFrame::customEvent(QEvent* event) {
    if (deferWhileSending(event))
        return;
    const int type = event->type();
    switch (type) {
    case WM_CHKRECSYSEX:
        WmChkRecSysex(static_cast<FrameMessage*>(event)->wParam);
        break;
    case WM_GETTAPTEMPO:
        WmGetTapTempo();
        break;
    case WM_CHKTREMCHOR:
        WmChkTremChor();
        break;
    case WM_SAVETOPOD:
        WmSaveToPod();
        break;
    case WM_CHANGEPNAME:
        WmChangePName();
        break;
    case WM_PODSAVE:
        WmPodSave(static_cast<FrameMessage*>(event)->lParam);
        break;
    case WM_PODSAVE_ALL:
        WmPodSaveAll(static_cast<FrameMessage*>(event)->lParam);
        break;
    case MM_MIM_LONGDATA: {
        auto* input = static_cast<MidiInputEvent*>(event);
        ProcessSysexMessage(input->input, input->buffer);
        break;
    }
    case MM_MIM_LONGERROR: {
        auto* input = static_cast<MidiInputEvent*>(event);
        ProcessSysexError(input->input, input->buffer);
        break;
    }
    case MM_MIM_DATA: {
        auto* input = static_cast<MidiInputEvent*>(event);
        ProcessMidiMessage(input->input, input->message);
        break;
    }
    case MM_MIM_ERROR: {
        auto* input = static_cast<MidiInputEvent*>(event);
        ProcessMidiError(input->input, input->message);
        break;
    }
    default:
        QMainWindow::customEvent(event);
    }
}

void DFrame::CmLinkAmp() {
    if (AmpModel_linked == 1) {
        AmpModel_linked = 0;
        StaticAmpModel->setText(qtText(amplix::text::kAmpModelUnlinked));
    } else {
        AmpModel_linked = 1;
        StaticAmpModel->setText(qtText(amplix::text::kAmpModelLinked));
    }
    if (QAction* item = menuAction(CM_LINKAMP))
        item->setChecked(AmpModel_linked == 1);
}

void DFrame::closeHelpWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowTitle() == kHelpCaption && window->isVisible())
            window->close();
}

void DFrame::CmHelpContents() {
    closeHelpWindow();
    QDir::setCurrent(PathAmplix);
    auto* help = new DHelpWindow(this);
    help->show();
}

void DFrame::CmHelpAbout() {
    DHelpAboutDialog about(this);
    about.exec();
}

void DFrame::CmFileExit() {
    close();
}

void DFrame::closeMainWindow() {
    closeRequested_ = true;
    if (isVisible())
        close();
}

void DFrame::closeEvent(QCloseEvent* event) {
    if (sending_ > 0) {
        closeAfterSending_ = true;
        event->ignore();
        return;
    }
    // The library's changes not on the device are not lost without a word. A library in the
    // middle of a transfer does not hold the editor open: closing the ports ends it.
    if (LibraryWindow && LibraryWindow->isVisible() && !LibraryWindow->busy() && !LibraryWindow->close()) {
        // Answered Send: the editor closes once the device has confirmed them.
        closeAfterLibrary_ = LibraryWindow->closingAfterSend();
        event->ignore();
        return;
    }
    closeHelpWindow();
    event->accept();
}
