// Dialog 307, "Change Patch Name", built in code.
#include "patch/DChangePatchNameDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"
#include "patch/SysexFormat.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <cstring>

namespace {
constexpr int ID_EDITNEWPATCHNAME = 780;
constexpr DialogText kTexts[] = {{10, 12, 45, 8, amplix::text::kRenameLabel}};
} // namespace

void limitToPatchName(QLineEdit* edit) {
    edit->setMaxLength(int(amplix::kNameLength));
    // Names travel as 8-bit characters: only what Latin-1 can hold may be typed.
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*")), edit));
}

DChangePatchNameDialog::DChangePatchNameDialog(QWidget* parent, char* newPatchNamestr)
    : QDialog(parent), p_patchName(newPatchNamestr) {
    setObjectName(QStringLiteral("DChangePatchNameDialog"));
    setWindowTitle(qtText(amplix::text::kRenameTitle));
    const DialogUnits du(this);
    addStaticTexts(this, du, kTexts);
    EditNewPatchName = new QLineEdit(this);
    EditNewPatchName->setObjectName(QStringLiteral("EditNewPatchName"));
    EditNewPatchName->setProperty("controlId", ID_EDITNEWPATCHNAME);
    EditNewPatchName->setGeometry(du.rect(58, 10, 90, 12));
    limitToPatchName(EditNewPatchName);
    EditNewPatchName->setText(
        QString::fromLatin1(newPatchNamestr, qsizetype(strnlen(newPatchNamestr, amplix::kNameLength))));
    EditNewPatchName->selectAll();

    QPushButton* ok = addOkCancel(this, du, 160, 8, 160, 26);
    // OK copies the field into the caller's buffer first.
    disconnect(ok, &QPushButton::clicked, this, nullptr);
    connect(ok, &QPushButton::clicked, this, &DChangePatchNameDialog::CmOk);
    setFixedSize(du.x(220), du.y(48));
    followSystemColours(this);
}

void DChangePatchNameDialog::CmOk() {
    const QByteArray name = EditNewPatchName->text().toLatin1().left(int(amplix::kNameLength));
    std::memcpy(p_patchName, name.constData(), std::size_t(name.size()));
    p_patchName[name.size()] = '\0';
    done(IDOK);
}
