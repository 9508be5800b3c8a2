// The patch name strip along the bottom of the main window: the current name and two buttons.
#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;

class DPatchName : public QFrame {
    Q_OBJECT

public:
    DPatchName(QWidget* parent, const QString& title);

    // "Change Patch Name": asks for the new name, shows it and has the frame send it.
    void ChangePatchName();
    // "Save Patch To POD...": the frame asks for the location after reading the patch back.
    void SaveToPOD();

    // Controls, in declaration order. StaticPatchNameData is the panel's store of the patch name.
    QLabel* StaticPatchNameData = nullptr;
    QLabel* StaticPatchName = nullptr;
    QPushButton* ButtonPatchName = nullptr;
    QPushButton* ButtonSaveToPOD = nullptr;
    // The name being edited: at most 16 characters and a terminating 00.
    char str[18] = {};
};
