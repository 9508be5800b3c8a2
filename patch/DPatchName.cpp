// The patch name strip.
#include "patch/DPatchName.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

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
    StaticPatchName =
        makeStatic(this, "StaticPatchName", ID_STATICPATCHNAME, QRect(15, 10, 90, 17), "Patch Name:");
    ButtonPatchName =
        makeButton(this, "ButtonPatchName", ID_CHANGEPATCHNAME, QRect(265, 6, 180, 24), "Change Patch Name");
    ButtonSaveToPOD =
        makeButton(this, "ButtonSaveToPOD", ID_SAVETOPOD, QRect(500, 6, 180, 24), "Save Patch To POD...");
}
