// The Library window: the device's 36 patches beside the patches of a file, arranged, compared,
// heard and sent back. It talks to the device only through the link it is given.
#pragma once

#include "patch/PatchLibrary.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FilePatchModel;
class LibraryTableModel;
class QLabel;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTableView;
class QTreeWidget;

// What the window needs of the device. Reads answer later, through the window's bankArrived,
// currentSoundArrived or requestFailed; the sends return once they are done.
class LibraryLink {
public:
    virtual ~LibraryLink() = default;
    virtual void readBank() = 0;
    virtual void readCurrentSound() = 0;
    // Chooses a stored patch as the Patch menu does.
    virtual void selectLocation(std::size_t location) = 0;
    // Sends a patch as the edit buffer; the panel shows it.
    virtual void sendSound(const amplix::PatchRecord& record, std::uint8_t byte7) = 0;
    // Stores patches one after the other, progress(n) before the n-th. False once a send failed
    // (the failure is reported); stored counts those that went before it.
    virtual bool storePatches(const std::vector<std::pair<std::size_t, amplix::PatchRecord>>& stores,
                              std::uint8_t byte7, const std::function<void(std::size_t)>& progress,
                              std::size_t& stored) = 0;
    // The whole bank, after the overwrite warning; false when declined or the send failed.
    virtual bool sendBank(const amplix::PatchLibrary::Records& records, std::uint8_t byte7) = 0;
};

class DLibraryWindow : public QWidget {
    Q_OBJECT

public:
    DLibraryWindow(QWidget* parent, LibraryLink& link);
    ~DLibraryWindow() override;

    // The device's answers to the window's requests.
    void bankArrived(const amplix::PatchLibrary::Records& records, std::uint8_t byte7);
    void currentSoundArrived(const amplix::PatchRecord& record);
    void requestFailed(const QString& why);
    // The main window stored a patch or sent a whole bank, or read the bank: rows the user left
    // alone show what the device holds now, rows the user changed keep the user's patch.
    void deviceStored(std::size_t location, const amplix::PatchRecord& record,
                      amplix::PatchLibrary::DeviceChange how);
    void deviceRead(const amplix::PatchLibrary::Records& records);
    // The device is at this program now (0: Manual Mode, -1: not known): its row is marked.
    void devicePlays(int program);

    // Fills the panes from files, as the Open buttons do after their file dialogs.
    bool openBankFile(const QString& path);
    bool openPatchFile(const QString& path);

    // Closing with changes not on the device asks first; false when the user kept it open.
    bool mayClose();
    // A close answered Send waits for the device to confirm what was sent.
    bool closingAfterSend() const { return closeAfterSend_ && busy(); }

    const amplix::PatchLibrary& library() const { return library_; }
    bool busy() const { return state_ != State::Idle; }

    QPushButton* ButtonReadFromPod = nullptr;
    QPushButton* ButtonOpenBank = nullptr;
    QPushButton* ButtonSendChanges = nullptr;
    QPushButton* ButtonSendAll = nullptr;
    QPushButton* ButtonSaveBank = nullptr;
    QPushButton* ButtonUndo = nullptr;
    QPushButton* ButtonRedo = nullptr;
    QPushButton* ButtonListen = nullptr;
    QPushButton* ButtonRename = nullptr;
    QPushButton* ButtonCopyCurrent = nullptr;
    QPushButton* ButtonExportPatch = nullptr;
    QPushButton* ButtonCompareCurrent = nullptr;
    QPushButton* ButtonOpenFile = nullptr;
    QLabel* StaticOrigin = nullptr;
    QLabel* StaticFile = nullptr;
    QLabel* StaticCompare = nullptr;
    QLabel* StaticMessage = nullptr;
    QProgressBar* Progress = nullptr;
    QTableView* DeviceTable = nullptr;
    QTableView* FileTable = nullptr;
    QTreeWidget* CompareList = nullptr;

    void setVisible(bool visible) override;

signals:
    // A close that waited for the changes to be sent has ended: closed once the device confirmed
    // them, or not (a send or the read-back failed, and the window said why).
    void closeAfterSendEnded(bool closed);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class State { Idle, Reading, Verifying, FetchingToCopy, FetchingToCompare };

    void buildLayout();
    void connectCommands();
    void restoreSettings();
    void saveSettings() const;
    // The remembered size while it fits the screen's free area, frame included; the first time
    // centred over the main window.
    void fitToScreen();

    // The commands, as the buttons and keys run them.
    void readFromPod();
    void openBank();
    void openFile();
    void sendChanges();
    void sendAll();
    void saveBankAs();
    void exportPatch();
    void copyCurrentSound();
    void compareWithCurrentSound();
    void renameSelected();
    void listenToDevice(int row);
    void listenToFile(int row);
    void undo();
    void redo();
    // Ctrl+C, Ctrl+X, Ctrl+V: a row held, then dropped onto the selected row as a drag drops it.
    void holdRow(bool cut);
    void pasteRow();

    // Unsent changes are given up only when the user agrees.
    bool mayReplaceChanges();
    // Each location the device changed after the user did is named before the user's patch goes
    // over it; those the user skips are returned.
    std::vector<std::size_t> askAboutConflicts();
    void showLibrary();
    void showComparison();
    void showComparison(const QString& aTitle, const amplix::PatchRecord& a, const QString& bTitle,
                        const amplix::PatchRecord& b);
    void clearComparison();
    void endCloseAfterSend(bool closed);
    void showMessage(const QString& text);
    void beginWait(State state, const QString& text, int total);
    void endWait();
    void showTransfer();
    void afterVerify(const amplix::PatchLibrary::Records& readBack);
    std::vector<int> selectedRows() const;
    std::optional<int> selectedRow() const;
    std::optional<int> selectedFileRow() const;
    QString rowTitle(std::size_t location) const;
    static QString latin1(const std::string& text);
    static QString labelOf(std::size_t location);
    static QString labelsOf(const std::vector<std::size_t>& locations);

    LibraryLink& link_;
    amplix::PatchLibrary library_;
    LibraryTableModel* deviceModel_ = nullptr;
    FilePatchModel* fileModel_ = nullptr;
    State state_ = State::Idle;
    std::uint8_t byte7_;
    bool loaded_ = false;
    QString origin_;
    QString fileName_; // of the file pane's file
    QString lastSent_; // the time of the last send confirmed, "14:05"
    std::vector<std::size_t> sent_;
    // Locations skipped when sending: they keep the user's patch, not sent.
    std::vector<std::size_t> skipped_;
    std::size_t copyTarget_ = 0;
    bool closeAfterSend_ = false;
    bool placed_ = false;
    // The comparison shown holds the current sound, which listening changes.
    bool comparedCurrent_ = false;
    // What Ctrl+C or Ctrl+X took, as a drag of it carries it, and the drop it makes.
    std::unique_ptr<QMimeData> held_;
    Qt::DropAction heldAction_ = Qt::CopyAction;
    // A transfer's progress, by the time its bytes take on the cable.
    QTimer* transferTick_ = new QTimer(this);
    QElapsedTimer transferClock_;
    std::size_t transferTotal_ = 0;
};
