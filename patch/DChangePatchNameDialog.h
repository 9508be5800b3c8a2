// The rename dialog: one edit field of at most 16 characters.
#pragma once

#include <QDialog>

class QLineEdit;

// The rules of a patch name in an edit field: 16 characters, only what Latin-1 holds.
void limitToPatchName(QLineEdit* edit);

class DChangePatchNameDialog : public QDialog {
public:
    // newPatchNamestr holds the current name on entry (at most 16 characters and a 00) and the
    // new name after OK; Cancel leaves it alone.
    DChangePatchNameDialog(QWidget* parent, char* newPatchNamestr);

    QLineEdit* EditNewPatchName = nullptr;
    char* p_patchName;

private:
    void CmOk();
};
