// Dialog 305, "Patch Import", built in code: the entries of a SoundDiver library to choose from.
#include "import/DPatchImportDialog.h"

#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>

using namespace amplix::text;

namespace {
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int ID_PATCHSELECT = 296;
} // namespace

DPatchImportDialog::DPatchImportDialog(QWidget* parent, const std::vector<amplix::ImportEntry>& entries)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DPatchImportDialog"));
    setWindowTitle(qtText(kImportTitle));
    setModal(true);
    const DialogUnits du(this);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("IntroFrame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(du.rect(7, 7, 146, 30));
    makeStatic(this, "StaticIntro1", -1, du.rect(13, 12, 134, 8), qtText(kImportSoundDiverLine1));
    makeStatic(this, "StaticIntro2", -1, du.rect(13, 23, 134, 8), qtText(kImportSoundDiverLine2));

    PatchSelect = new QListWidget(this);
    PatchSelect->setObjectName(QStringLiteral("PatchSelect"));
    PatchSelect->setProperty(kControlIdProperty, ID_PATCHSELECT);
    PatchSelect->setGeometry(du.rect(7, 43, 146, 92));
    PatchSelect->setSelectionMode(QAbstractItemView::SingleSelection);
    PatchSelect->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Names of up to 127 characters are elided rather than scrolled, as in the other lists.
    PatchSelect->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PatchSelect->setTextElideMode(Qt::ElideRight);

    auto* ok = makeButton(this, "OK", IDOK, du.rect(22, 142, 50, 14), qtText(kButtonOk));
    ok->setDefault(true);
    auto* cancel = makeButton(this, "Cancel", IDCANCEL, du.rect(88, 142, 50, 14), qtText(kButtonCancel));
    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });

    setFixedSize(du.x(160), du.y(163));
    SetupWindow(entries);
    followSystemColours(this);
    PatchSelect->setFocus();
}

void DPatchImportDialog::SetupWindow(const std::vector<amplix::ImportEntry>& entries) {
    // Names are 8-bit characters as the library stores them.
    for (const auto& entry : entries)
        PatchSelect->addItem(QString::fromLatin1(entry.name.data(), qsizetype(entry.name.size())));
    if (PatchSelect->count() > 0) {
        PatchSelect->setCurrentRow(0);
        patchIndex_ = 0;
    }
    connect(PatchSelect, &QListWidget::currentRowChanged, this, &DPatchImportDialog::UpdatePatchSelect);
}

void DPatchImportDialog::UpdatePatchSelect() {
    if (PatchSelect->currentRow() >= 0)
        patchIndex_ = PatchSelect->currentRow();
}

int DPatchImportDialog::Execute() {
    return exec() == IDOK ? patchIndex_ : -1;
}
