// The bank chooser: one patch of a bank file, or the whole bank.
#pragma once

#include <QDialog>

#include <cstdint>

class QListWidget;
class QPushButton;

class DOpenAllDialog : public QDialog {
public:
    // Writes the chosen line (0 to 35) through p_PatchSelect, or -2 for "Load ALL"; reads the
    // names from the bank dump.
    DOpenAllDialog(QWidget* parent, int* p_PatchSelect, const std::uint8_t* p_sysExDump);

    QPushButton* ButtonLoadAll = nullptr;
    QListWidget* PatchSelect = nullptr;
    int* p_PatchSelect;
    const std::uint8_t* p_sysExDump;

private:
    void SetupWindow();
    void UpdatePatchSelect();
    void DoLoadAll();
};
