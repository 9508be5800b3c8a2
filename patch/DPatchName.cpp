// The patch name strip.
#include "patch/DPatchName.h"

#include "app/DialogTemplate.h"
#include "app/PanelControls.h"
#include "app/UiTextsQt.h"
#include "midi/PostToParentWindow.h"
#include "patch/DChangePatchNameDialog.h"
#include "patch/SysexFormat.h"
#include "tone/ControlIds.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <cstring>

using namespace amplix;

DPatchName::DPatchName(QWidget* parent, const QString& title) : QFrame(parent) {
    setWindowTitle(title);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setGeometry(0, 465, 700, 50);
    hide();

    StaticPatchNameData =
        makeStatic(this, "StaticPatchNameData", ID_STATICPATCHNAMEDATA, QRect(110, 10, 150, 17));
    StaticPatchName = makeStatic(this, "StaticPatchName", ID_STATICPATCHNAME, QRect(15, 10, 90, 17),
                                 qtText(text::kPatchNameLabel));
    ButtonPatchName = makeButton(this, "ButtonPatchName", ID_CHANGEPATCHNAME, QRect(265, 6, 180, 24),
                                 qtText(text::kPatchNameChange));
    ButtonSaveToPOD = makeButton(this, "ButtonSaveToPOD", ID_SAVETOPOD, QRect(500, 6, 180, 24),
                                 qtText(text::kPatchNameSaveToPod));
    connect(ButtonPatchName, &QPushButton::clicked, this, &DPatchName::ChangePatchName);
    connect(ButtonSaveToPOD, &QPushButton::clicked, this, &DPatchName::SaveToPOD);
}

void DPatchName::ChangePatchName() {
    const QByteArray current = StaticPatchNameData->text().toLatin1().left(int(kNameLength));
    std::memcpy(str, current.constData(), std::size_t(current.size()));
    str[current.size()] = '\0';
    DChangePatchNameDialog dialog(this, str);
    if (runDialog(dialog) != IDOK)
        return;
    PostToParentWindow(window(), kChangePatchNameRequest);
    // The strip shows the new name at once, before the device has it.
    StaticPatchNameData->setText(QString::fromLatin1(str, qsizetype(strnlen(str, kNameLength))));
}

void DPatchName::SaveToPOD() {
    PostToParentWindow(window(), kSaveToPodRequest);
}
