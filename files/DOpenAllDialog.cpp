// Dialog 308, "Patch Import", built in code.
#include "files/DOpenAllDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"
#include "files/PatchFile.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>

namespace {
using namespace amplix::text;
constexpr int ID_LOADALL = 778;
constexpr int ID_PATCHSELECT = 779;
constexpr int kNoChoice = -1;
constexpr int kLoadAll = -2;
constexpr DialogText kTexts[] = {
    {12, 11, 142, 8, kOpenBankLine1}, {12, 21, 142, 8, kOpenBankLine2}, {12, 33, 142, 8, kOpenBankLine3},
    {12, 45, 142, 8, kOpenBankLine4}, {12, 55, 142, 8, kOpenBankLine5},
};
} // namespace

DOpenAllDialog::DOpenAllDialog(QWidget* parent, int* patchSelect, const std::uint8_t* dump)
    : QDialog(parent), p_PatchSelect(patchSelect), p_sysExDump(dump) {
    setObjectName(QStringLiteral("DOpenAllDialog"));
    setWindowTitle(qtText(kOpenBankTitle));
    const DialogUnits du(this);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(du.rect(6, 6, 152, 62));
    addStaticTexts(this, du, kTexts);

    PatchSelect = new QListWidget(this);
    PatchSelect->setObjectName(QStringLiteral("PatchSelect"));
    PatchSelect->setProperty(kControlIdProperty, ID_PATCHSELECT);
    PatchSelect->setSelectionMode(QAbstractItemView::SingleSelection);
    PatchSelect->setGeometry(du.rect(6, 74, 152, 84));

    addOkCancel(this, du, 168, 8, 168, 26);
    ButtonLoadAll =
        makeButton(this, "ButtonLoadAll", ID_LOADALL, du.rect(168, 50, 50, 14), qtText(kOpenBankLoadAll));
    connect(ButtonLoadAll, &QPushButton::clicked, this, &DOpenAllDialog::DoLoadAll);
    setFixedSize(du.x(226), du.y(166));

    SetupWindow();
    connect(PatchSelect, &QListWidget::currentRowChanged, this, &DOpenAllDialog::UpdatePatchSelect);
    connect(PatchSelect, &QListWidget::itemDoubleClicked, this, [this] { done(IDOK); });
    followSystemColours(this);
}

void DOpenAllDialog::SetupWindow() {
    const auto lines = amplix::bankListing(std::span(p_sysExDump, amplix::kBankDumpSize));
    for (const std::string& line : lines)
        PatchSelect->addItem(QString::fromLatin1(line.data(), qsizetype(line.size())));
    PatchSelect->setCurrentRow(0);
    *p_PatchSelect = 0;
}

void DOpenAllDialog::UpdatePatchSelect() {
    const int row = PatchSelect->currentRow();
    *p_PatchSelect = row >= 0 ? row : kNoChoice;
}

void DOpenAllDialog::DoLoadAll() {
    *p_PatchSelect = kLoadAll;
    done(IDOK);
}
