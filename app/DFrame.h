// The main frame window: the hub that owns the panel, the effect windows and the MIDI link.
#pragma once

#include "app/FrameEvents.h"
#include "import/ImportCommon.h"
#include "midi/MidiService.h"
#include "patch/SysexFormat.h"
#include "tone/EditHistory.h"
#include "tone/ToneMap.h"

#include <QHash>
#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class BusyCursor;
class DChorus;
class DEffectWindow;
class DCompressor;
class DeviceWatch;
class DDelay;
class DGate;
class DLibraryWindow;
class LibraryLink;
class DPatchName;
class DPedals;
class DReverb;
class DRotary;
class DStatusLine;
class DSwell;
class DTremolo;
class SimulatorStore;

// Every command, notification and MIDI event arrives here. The methods are implemented in the
// folders of the subsystems they belong to: app/frame_*.cpp, midi/frame_*.cpp, tone/, patch/ ...
class DFrame : public QMainWindow {
    Q_OBJECT

public:
    // How long the device may take to answer an edit-buffer request or a program change.
    static constexpr int kEditBufferTimeoutMs = amplix::kEditBufferTimeoutMs;
    // How long the replies to the device inquiry on every channel are gathered.
    static constexpr int kInquiryWaitMs = 300;

    explicit DFrame(amplix::MidiService& midi, QWidget* parent = nullptr);
    ~DFrame() override;

    // Start-up after construction: colours, slider set-up, lists, child windows, MIDI ports,
    // and the first edit-buffer request. May run the MIDI setup dialog.
    void SetupWindow();
    // True once the program was asked to end (for lack of memory while opening a port).
    bool closeRequested() const { return closeRequested_; }
    // True while a SysEx is on its way to the device (the window repaints, nothing else runs).
    bool sendingSysex() const { return sending_ > 0; }

    // Menu commands, by id.
    void dispatchCommand(int id);
    QAction* menuAction(int id) const { return actions_.value(id); }
    void CmFileExit();
    void CmHelpAbout();
    void CmHelpContents();
    void CmSetupMidi();
    void CmLinkAmp();
    void CmFileRead();
    void CmPatchChange(int id);
    // Patch > Library: the window of the device's 36 patches, made on first use.
    void CmLibrary();
    // Edit > Undo and Redo: the user's last change to the sound taken back, or made again.
    void CmEditUndo();
    void CmEditRedo();
    // Edit > Compare with stored: the device plays the stored patch, then the edited sound again.
    void CmEditCompare();
    // Options > Reset Simulator: the built-in simulator's factory patches back, once confirmed.
    void CmResetSimulator();
    // Who keeps the built-in simulator's patches between runs (the application); its start-up
    // notice goes to the status line. Before SetupWindow.
    void setSimulatorStore(SimulatorStore* store);
    bool comparing() const { return edited_.has_value(); }
    const amplix::EditHistory& editHistory() const { return history_; }

    // The MIDI link.
    void OpenPodMidiPorts();
    void ClosePodMidiPorts();
    void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2 = 0);
    void SendControlChange(std::uint8_t controller, std::uint8_t value);
    bool SendSysexMessage(int sysexMsgSize);
    void ReadPODAll();
    int ProcessSysexMessage(amplix::MidiHandle wparam, const std::shared_ptr<amplix::SysexBuffer>& lparam);
    int ProcessSysexError(amplix::MidiHandle wparam, const std::shared_ptr<amplix::SysexBuffer>& lparam);
    int ProcessMidiError(amplix::MidiHandle wparam, std::uint32_t lparam);
    int WmChkRecSysex(std::uint64_t requestNumber);
    int WmGetTapTempo();
    void UpdateMidiSettings();

    amplix::MidiService& midiService() const { return midi_; }
    // The record the device plays, as far as the editor knows it: set by every single-patch dump
    // received or sent (and by a store or bank, which select a patch on the device), changed by
    // every controller sent or received as the device changes it. Nothing before the first dump.
    const std::optional<amplix::PatchRecord>& deviceShadow() const { return shadow_; }

    // Live editing: the panel's handlers, each run only by the user's own change.
    void UpdateDrive(int code = 0);
    void UpdateDrive2(int code = 0);
    void UpdateBass(int code = 0);
    void UpdateMid(int code = 0);
    void UpdateTreble(int code = 0);
    void UpdatePresence(int code = 0);
    void UpdateChVol(int code = 0);
    void UpdateAir(int code = 0);
    void UpdateAmpModel();
    void UpdateEffectSel();
    void UpdateCabSel();
    void UpdateDriveBoost();
    void UpdateDistortion();
    void UpdatePresBoost();
    void UpdateBright();
    void UpdateTremChor();
    // Showing what the device reports, without sending anything back.
    void PodChangedEffects(int controller_value);
    void PodChangedAmp(int amp_index);
    int WmChkTremChor();
    int ProcessMidiMessage(amplix::MidiHandle wparam, std::uint32_t lparam);
    // Patches on the device.
    void UpdateAmplixFromSysex();
    int WmSaveToPod();
    void WriteToPOD();
    int WmChangePName();
    bool AddPatchName();
    // Sends the bank dump standing in sysEx after the overwrite warning; true when it went out.
    bool SendBankToPod();

    // Patch files.
    void CmFileOpen_();
    void CmFileSave_();
    void CmFileSave_All();
    int WmPodSave(std::int64_t bytesRecorded);
    int WmPodSaveAll(std::int64_t bytesRecorded);

    // Import. The file is read whole into memory and handed to the reader of its format.
    void CmFileImport();
    // Everything after the file dialog: reads the file, tells its format and imports from it.
    void importFile(const QString& path);
    void ImportLine6EditFile(std::span<const std::uint8_t> file, int patch_type);
    void ImportLine6GPortFile(std::span<const std::uint8_t> file, const QString& fileName);
    // The common tail of every import: show the converted patch, send it, read it back; or
    // report why it could not be converted.
    void finishImport(const amplix::ImportResult& result);

    // The control that stands for a parameter, found by its member name (panel or effect window).
    QWidget* toneControl(std::string_view member) const;
    // Sends a control's current state by its row of the tone map.
    void SendParameter(const amplix::ToneParameter& parameter);
    // Shown the first time, the window's outer frame goes to the screen's top left.
    void setVisible(bool visible) override;

    // ---- State, in plain members as the editor has always kept it. ----
    std::shared_ptr<amplix::SysexBuffer> midiHdr; // the armed receive buffer, null while idle
    amplix::MidiResult err = amplix::MidiResult::Ok;
    unsigned PODMidiInPort = 0;
    unsigned PODMidiOutPort = 0;
    int PODMidiSet = 0;
    int Waiting_for_sysex = 0;
    int Save_flag = 0;
    int Save_All_flag = 0;
    int Name_flag = 0;
    int SaveToPod_flag = 0;
    int AmpModel_linked = 1;
    int AmpModel_flag = -1;
    std::array<std::uint8_t, amplix::kSysexBufferSize> sysEx{};

    // The link's settings and handles, and the start-up directory.
    int PODMidiChannel = 0;
    amplix::MidiHandle HPODMidiOut = amplix::kNoHandle;
    amplix::MidiHandle HPODMidiIn = amplix::kNoHandle;
    QString PathAmplix;
    // Device names that go with the port indexes in AMPLIX.CNF.
    QString PODMidiInName;
    QString PODMidiOutName;

    // ---- The main panel. ----
    QSlider* Drive = nullptr;
    QLabel* StaticDrive = nullptr;
    QSlider* Drive2 = nullptr;
    QLabel* StaticDrive2 = nullptr;
    QSlider* Bass = nullptr;
    QLabel* StaticBass = nullptr;
    QSlider* Mid = nullptr;
    QLabel* StaticMid = nullptr;
    QSlider* Treble = nullptr;
    QLabel* StaticTreble = nullptr;
    QSlider* Presence = nullptr;
    QLabel* StaticPresence = nullptr;
    QSlider* ChVol = nullptr;
    QLabel* StaticChVol = nullptr;
    QSlider* Air = nullptr;
    QLabel* StaticAir = nullptr;
    QLabel* StaticAirMin = nullptr;
    QLabel* StaticAirMax = nullptr;
    QComboBox* AmpModel = nullptr;
    QComboBox* EffectSel = nullptr;
    QComboBox* CabSel = nullptr;
    QLabel* StaticAmpModel = nullptr;
    QLabel* StaticCabSel = nullptr;
    QLabel* StaticEffectSel = nullptr;
    QCheckBox* DriveBoost = nullptr;
    QCheckBox* Distortion = nullptr;
    QCheckBox* PresBoost = nullptr;
    QCheckBox* Bright = nullptr;
    QCheckBox* TremChor = nullptr;

    DPedals* PedalsWindow = nullptr;
    DGate* GateWindow = nullptr;
    DReverb* ReverbWindow = nullptr;
    DDelay* DelayWindow = nullptr;
    DCompressor* CompressorWindow = nullptr;
    DSwell* SwellWindow = nullptr;
    DTremolo* TremoloWindow = nullptr;
    DRotary* RotaryWindow = nullptr;
    DChorus* ChorusWindow = nullptr;
    DPatchName* PatchWindow = nullptr;
    DStatusLine* StatusLine = nullptr;
    DLibraryWindow* LibraryWindow = nullptr;

protected:
    void customEvent(QEvent* event) override;
    // Watches the sliders for the press and release that frame a gesture.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class InputSink;
    class LibraryBridge;
    // A read the Library window asked for; its answer goes to the window, not only the panel.
    enum class LibraryRequest { None, Bank, CurrentSound };
    void requestForLibrary(LibraryRequest what);
    // The awaited answer of the window's read is here: it goes to the window.
    void answerLibrary(amplix::DumpKind kind);

    void createPanel(QWidget* client);
    void createChildWindows(QWidget* client);
    void createMenu();
    void collectToneControls();
    void connectPanelHandlers();
    void startReadTimer(int ms);
    void showEffect(const amplix::EffectRow& row);
    void showAmpModel(int index);
    DEffectWindow* effectWindow(amplix::ToneWindow window) const;
    std::array<DEffectWindow*, amplix::kEffectWindows.size()> effectWindows() const;
    void receiveController(int controller, int value);
    void receiveProgram(int program);
    void noteDeviceChannel(int status, int data1);
    void setupPanel();
    void requestDump(const amplix::Request& request, int timeoutMs, bool bank);
    // Which request's flags end with it: those riding on an edit-buffer dump, on a bank dump,
    // or every one (the port closes, the buffer comes back unusable).
    enum class RequestEnd { SinglePatch, Bank, All };
    // Every end of a request: the receive buffer goes and the request's flags clear.
    void endRequest(RequestEnd which);
    // The awaited dump is here: its time-out and the wait's feedback end, whatever follows.
    void requestAnswered();
    // The status line's two parts: the ports in use, and what came of the user's last request.
    void showConnection();
    void showOutcome(const QString& text);
    // After a send the device is read back; until the patch is here and after, the line says
    // what was sent.
    void readBackAfter(const QString& outcome);
    void closeMainWindow();
    void closeHelpWindow();
    // While a SysEx is on its way the window repaints but the frame handles nothing else: its
    // posted messages and MIDI events wait, in order, and a close waits for the send to end.
    bool deferWhileSending(QEvent* event);
    void releaseDeferred();

    amplix::MidiService& midi_;
    std::unique_ptr<amplix::MidiInputSink> inputSink_;
    QHash<int, QAction*> actions_;
    QHash<QString, QWidget*> toneControls_;
    std::uint64_t requestNumber_ = 0;
    bool closeRequested_ = false;
    bool placed_ = false;
    int sending_ = 0;
    bool closeAfterSending_ = false;
    std::vector<std::unique_ptr<QEvent>> deferred_;
    std::unique_ptr<BusyCursor> waitCursor_;
    // What the status line says once the awaited patch is read; empty: "Patch read".
    QString readOutcome_;
    // What MIDI Setup says when it opens by itself, such as which devices are missing.
    QString setupNotice_;
    bool timedOut_ = false;
    QString lastOutcome_;
    std::optional<amplix::PatchRecord> shadow_;
    std::uint8_t shadowByte7_ = 0;
    // The user's steps. While an undo or redo sends, nothing it sends is a step of its own.
    // What one user action sends is one step: an action lasts until the event loop turns, a
    // slider held with the mouse until it is let go, a patch chosen until its read-back is here.
    amplix::EditHistory history_;
    bool replaying_ = false;
    std::uint64_t lastAction_ = 0;
    std::uint64_t turnAction_ = 0;
    std::uint64_t gestureAction_ = 0;
    const QObject* gestureSlider_ = nullptr;
    std::uint64_t patchAction_ = 0;
    bool patchAwaitsReadBack_ = false;
    amplix::EditHistory::Action currentAction();
    void noteUserController(std::uint8_t controller, const std::optional<amplix::PatchRecord>& before);
    void noteUserReload(const std::string& text);
    // A patch chosen from the menu: its step stays open until the device's answer has been read.
    void notePatchChange(const std::string& text);
    void endPatchStep();
    void applyStep(const amplix::EditHistory::Step& step, bool forward);
    // What every control of the sound showed when the editor last knew: a user's change finds
    // the state it started from here.
    QHash<QString, int> shownStates_;
    void rememberShownStates();
    void updateEditMenu();
    // What the device holds at its location: read after a program change (the next dump is it
    // then), stored there, sent with a bank, or read with the bank; nothing while not known.
    // While comparing, edited_ holds the edited sound to return to.
    std::optional<amplix::PatchRecord> stored_;
    bool storedFollows_ = false;
    std::optional<amplix::PatchRecord> edited_;
    // The location the device is at, as a program (0 Manual Mode), once its program change, a
    // store or a bank sent tells; the Patch menu checks it.
    int program_ = amplix::EditHistory::kNoPatch;
    void atLocation(int program);
    void updatePatchMenu();
    // The title names the patch whose sound plays and marks a sound that differs from what the
    // device's location holds: "Amplix 32 - Patch 3B *".
    void showEditedMark();
    void playRecord(const amplix::PatchRecord& record);
    void endCompare();
    // What a SysEx sent makes the device play.
    void shadowSentSysex(std::span<const std::uint8_t> message);
    std::unique_ptr<LibraryLink> libraryBridge_;
    LibraryRequest libraryRequest_ = LibraryRequest::None;
    // A read the window asked for while another request was awaited: it follows that one.
    LibraryRequest queuedLibraryRequest_ = LibraryRequest::None;
    // Closing waits for the library's changes, sent on the way out, to be confirmed.
    bool closeAfterLibrary_ = false;

    // Working without the device.
    bool hasSimulator() const;
    bool onSimulator() const;
    SimulatorStore* simulatorStore_ = nullptr;
    QString simulatorNotice_;
    // File > Save's read got no answer: the sound as the editor last knew it may be saved instead.
    void offerLastKnownSave();

    // A file not taken: the status line and the trace say which and why, beside the message box.
    static std::string fileNameOf(const QString& path);
    void tellFileFailure(const std::string& reason);
    // The file the patch being taken comes from, for the reason an entry's conversion fails.
    std::string importName_;
    // Devices gone and back, and the channel the device is heard on, for the status line.
    DeviceWatch* deviceWatch_ = nullptr;
    // The device did not answer or follow: the device inquiry on every channel says where it is.
    void askWhichChannel();
    void takeInquiryReply(const amplix::SysexBuffer& buffer);
    void endInquiry();
    bool channelAsked_ = false;
    bool inquiring_ = false;
    std::vector<int> inquiryAnswers_;
    std::uint64_t programsHeard_ = 0;
};
