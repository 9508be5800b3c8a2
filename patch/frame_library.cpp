// Patch > Library: the window, and the frame's side of its conversations with the device.
#include "app/DFrame.h"

#include "app/BusyWait.h"
#include "app/CommandIds.h"
#include "app/DStatusLine.h"
#include "app/UiTextsQt.h"
#include "patch/DLibraryWindow.h"

#include <QTimer>

#include <chrono>
#include <thread>
#include <utility>

using namespace amplix;

namespace {
// The device writes each stored patch into its memory before it takes the next message.
constexpr std::chrono::milliseconds kStorePause{50};
} // namespace

// The window's link to the device, through the frame's own requests and sends.
class DFrame::LibraryBridge : public LibraryLink {
public:
    explicit LibraryBridge(DFrame& frame) : frame_(frame) {}

    void readBank() override { frame_.requestForLibrary(LibraryRequest::Bank); }
    void readCurrentSound() override { frame_.requestForLibrary(LibraryRequest::CurrentSound); }

    void selectLocation(std::size_t location) override {
        frame_.CmPatchChange(CM_PATCHMANUAL + 1 + int(location));
    }

    void sendSound(const PatchRecord& record, std::uint8_t byte7) override {
        frame_.finishImport(ImportResult{buildSingleDump(record, byte7), {}});
    }

    bool storePatches(const std::vector<std::pair<std::size_t, PatchRecord>>& stores, std::uint8_t byte7,
                      const std::function<void(std::size_t)>& progress, std::size_t& stored) override {
        stored = 0;
        QStringList labels;
        for (const auto& [location, record] : stores) {
            progress(stored);
            const auto dump = buildSingleDump(record, byte7);
            std::copy(dump.begin(), dump.end(), frame_.sysEx.begin());
            makeStoreMessage(frame_.sysEx, int(location));
            if (!frame_.SendSysexMessage(int(kStoreMessageSize)))
                break;
            // The window sent it and follows it itself.
            frame_.devicePatchChanged(location, record, std::nullopt);
            ++stored;
            labels << QString::fromStdString(locationLabel(location));
            runWhileRepainting([] { std::this_thread::sleep_for(kStorePause); });
        }
        if (stored == 0)
            return false;
        // Storing selects the location on the device, as a store from the main window does: the
        // title names the last one and the panel shows it.
        frame_.atLocation(int(stores[stored - 1].first) + 1);
        frame_.readBackAfter(qtText(text::kStatusStored).arg(labels.join(QStringLiteral(", "))));
        return stored == stores.size();
    }

    bool sendBank(const PatchLibrary::Records& records, std::uint8_t byte7) override {
        // As Load ALL sends a bank: the warning, the title, the panel read back.
        const auto bank = buildBankDump(records, byte7);
        std::copy(bank.begin(), bank.end(), frame_.sysEx.begin());
        return frame_.SendBankToPod();
    }

private:
    DFrame& frame_;
};

void DFrame::CmLibrary() {
    if (!LibraryWindow) {
        libraryBridge_ = std::make_unique<LibraryBridge>(*this);
        LibraryWindow = new DLibraryWindow(this, *libraryBridge_);
        LibraryWindow->devicePlays(program_);
        connect(LibraryWindow, &DLibraryWindow::closeAfterSendEnded, this, [this](bool closed) {
            // Confirmed, the editor's own close goes on; otherwise the window has said why not.
            if (std::exchange(closeAfterLibrary_, false) && closed)
                QTimer::singleShot(0, this, [this] { close(); });
        });
    }
    LibraryWindow->show();
    LibraryWindow->raise();
    LibraryWindow->activateWindow();
}

void DFrame::requestForLibrary(LibraryRequest what) {
    // One request at a time: the window's waits for the one under way.
    if (Waiting_for_sysex) {
        queuedLibraryRequest_ = what;
        return;
    }
    libraryRequest_ = what;
    lastOutcome_.clear();
    if (what == LibraryRequest::Bank)
        ReadPODAll();
    else
        CmFileRead();
}

void DFrame::answerLibrary(DumpKind kind) {
    const LibraryRequest request = libraryRequest_;
    libraryRequest_ = LibraryRequest::None;
    PatchLibrary::Records records{};
    if (kind == DumpKind::Bank) {
        records = bankRecords(sysEx);
        // The bank tells what the device's location holds (Manual Mode has no place in it).
        if (program_ >= 1 && std::size_t(program_) <= kPatchLocations) {
            stored_ = records[std::size_t(program_ - 1)];
            showEditedMark();
        }
        // A bank read for another reason (Save All) tells the window what the device holds too.
        deviceBankKnown(records, request != LibraryRequest::Bank
                                     ? std::optional(PatchLibrary::DeviceChange::Read)
                                     : std::nullopt);
    }
    if (request != LibraryRequest::None && LibraryWindow) {
        if (request == LibraryRequest::Bank && kind == DumpKind::Bank) {
            LibraryWindow->bankArrived(records, sysEx[kDumpByte7]);
        } else if (request == LibraryRequest::CurrentSound && kind == DumpKind::SinglePatch) {
            LibraryWindow->currentSoundArrived(readRecord(sysEx, kDumpDataOffset));
        } else {
            LibraryWindow->requestFailed(lastOutcome_.isEmpty() ? QStringLiteral("The POD did not answer")
                                                                : lastOutcome_);
        }
    }
    // A read the window asked for meanwhile starts once this request has ended.
    if (queuedLibraryRequest_ != LibraryRequest::None && !Waiting_for_sysex)
        QTimer::singleShot(0, this, [this] {
            const LibraryRequest queued = queuedLibraryRequest_;
            queuedLibraryRequest_ = LibraryRequest::None;
            if (queued != LibraryRequest::None)
                requestForLibrary(queued);
        });
}
