// Dialog 309, "Overwrite POD patches!", built in code.
#include "patch/DOWWarningDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/SystemColours.h"

namespace {
constexpr DialogText kTexts[] = {
    {10, 12, 110, 8, "WARNING! This operation will "},
    {10, 22, 110, 8, "overwrite all the saved patches"},
    {10, 32, 110, 8, "on your POD."},
};
} // namespace

DOWWarningDialog::DOWWarningDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DOWWarningDialog"));
    setWindowTitle(QStringLiteral("Overwrite POD patches!"));
    const DialogUnits du(this);
    addStaticTexts(this, du, kTexts);
    addOkCancel(this, du, 130, 8, 130, 26);
    setFixedSize(du.x(190), du.y(54));
    followSystemColours(this);
}
