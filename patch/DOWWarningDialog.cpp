// Dialog 309, "Overwrite POD patches!", built in code.
#include "patch/DOWWarningDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"

namespace {
using namespace amplix::text;
constexpr DialogText kTexts[] = {
    {10, 12, 110, 8, kOverwriteLine1},
    {10, 22, 110, 8, kOverwriteLine2},
    {10, 32, 110, 8, kOverwriteLine3},
};
} // namespace

DOWWarningDialog::DOWWarningDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DOWWarningDialog"));
    setWindowTitle(qtText(kOverwriteTitle));
    const DialogUnits du(this);
    addStaticTexts(this, du, kTexts);
    addOkCancel(this, du, 130, 8, 130, 26);
    setFixedSize(du.x(190), du.y(54));
    followSystemColours(this);
}
