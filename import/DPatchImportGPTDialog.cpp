// Dialog 311, "Patch Import" for GuitarPort files, built in code.
#include "import/DPatchImportGPTDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"

#include <QFrame>
#include <QLabel>
#include <QRadioButton>

using amplix::GuitarPortInfo;
using namespace amplix::text;

namespace {

constexpr int ID_SELECTMOD = 777;
constexpr int ID_SELECTCOMP = 778;

constexpr int kDialogWidth = 377;
constexpr int kDialogHeight = 142;

constexpr DialogText kTexts[] = {
    {14, 13, 153, 8, kImportGuitarPortLine1}, {14, 23, 153, 8, kImportGuitarPortLine2},
    {14, 33, 153, 8, kImportGuitarPortLine3}, {186, 14, 40, 8, kImportAmp},
    {186, 26, 40, 8, kImportPickup},          {186, 38, 40, 8, kImportStyle},
    {186, 50, 40, 8, kImportSubStyle},        {186, 62, 40, 8, kImportSong},
    {186, 74, 40, 8, kImportGuitarist},       {186, 86, 40, 8, kImportBand},
    {186, 98, 40, 8, kImportComment},
};

struct Frame {
    const char* name;
    int x, y, w, h;
};
constexpr Frame kFrames[] = {
    {"NoticeFrame", 7, 7, 166, 42},
    {"ChoiceFrame", 7, 55, 166, 60},
    {"InformationFrame", 180, 7, 190, 128},
};

// The value statics, empty until the file's texts arrive; the pickup position shares the
// pickup's line.
struct InfoStatic {
    QLabel* DPatchImportGPTDialog::*member;
    const char* name;
    int id;
    int x, y, w, h;
    GuitarPortInfo info;
};
constexpr InfoStatic kInfoStatics[] = {
    {&DPatchImportGPTDialog::L6TAmp, "L6TAmp", 776, 228, 14, 136, 8, GuitarPortInfo::Amp},
    {&DPatchImportGPTDialog::L6TPickup, "L6TPickup", 775, 228, 26, 66, 8, GuitarPortInfo::Pickup},
    {&DPatchImportGPTDialog::L6TPickupPos, "L6TPickupPos", 782, 296, 26, 68, 8,
     GuitarPortInfo::PickupPosition},
    {&DPatchImportGPTDialog::L6TStyle, "L6TStyle", 774, 228, 38, 136, 8, GuitarPortInfo::Style},
    {&DPatchImportGPTDialog::L6TSubStyle, "L6TSubStyle", 770, 228, 50, 136, 8, GuitarPortInfo::SubStyle},
    {&DPatchImportGPTDialog::L6TSong, "L6TSong", 769, 228, 62, 136, 8, GuitarPortInfo::Song},
    {&DPatchImportGPTDialog::L6TGuitarist, "L6TGuitarist", 772, 228, 74, 136, 8, GuitarPortInfo::Guitarist},
    {&DPatchImportGPTDialog::L6TBand, "L6TBand", 773, 228, 86, 136, 8, GuitarPortInfo::Band},
    {&DPatchImportGPTDialog::L6TComment, "L6TComment", 771, 228, 98, 136, 32, GuitarPortInfo::Comment},
};

// The choice, shown only for a patch that uses both effects.
struct ChoiceText {
    QLabel* DPatchImportGPTDialog::*member;
    const char* name;
    int id;
    int y;
    std::string_view text;
};
constexpr ChoiceText kChoiceTexts[] = {
    {&DPatchImportGPTDialog::L6TStatic1, "L6TStatic1", 779, 61, kImportChoiceLine1},
    {&DPatchImportGPTDialog::L6TStatic2, "L6TStatic2", 780, 71, kImportChoiceLine2},
    {&DPatchImportGPTDialog::L6TStatic3, "L6TStatic3", 781, 81, kImportChoiceLine3},
};
constexpr int kChoiceTextX = 14;
constexpr int kChoiceTextWidth = 153;
constexpr int kChoiceTextHeight = 8;

QRadioButton* makeRadio(QWidget* parent, const char* member, int id, const QRect& geometry,
                        const QString& text) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QString::fromLatin1(member));
    radio->setProperty(kControlIdProperty, id);
    radio->setGeometry(geometry);
    return radio;
}

} // namespace

DPatchImportGPTDialog::DPatchImportGPTDialog(QWidget* parent, const amplix::GuitarPortListing& listing,
                                             int* modOrComp)
    : QDialog(parent), p_modOrComp(modOrComp) {
    setObjectName(QStringLiteral("DPatchImportGPTDialog"));
    setWindowTitle(qtText(kImportTitle));
    setModal(true);
    const DialogUnits du(this);

    for (const Frame& f : kFrames) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QString::fromLatin1(f.name));
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setGeometry(du.rect(f.x, f.y, f.w, f.h));
    }
    addStaticTexts(this, du, kTexts);
    // The texts come from the file; statics never take them for markup.
    for (const InfoStatic& s : kInfoStatics)
        this->*s.member = makeStatic(this, s.name, s.id, du.rect(s.x, s.y, s.w, s.h));
    L6TComment->setWordWrap(true);
    for (const ChoiceText& c : kChoiceTexts) {
        QLabel* label =
            makeStatic(this, c.name, c.id, du.rect(kChoiceTextX, c.y, kChoiceTextWidth, kChoiceTextHeight),
                       qtText(c.text));
        label->hide();
        this->*c.member = label;
    }
    SelectComp =
        makeRadio(this, "SelectComp", ID_SELECTCOMP, du.rect(30, 96, 45, 10), qtText(kImportCompressor));
    SelectMod =
        makeRadio(this, "SelectMod", ID_SELECTMOD, du.rect(100, 96, 45, 10), qtText(kImportModulation));
    SelectComp->hide();
    SelectMod->hide();
    addOkCancel(this, du, 30, 121, 100, 121);
    setFixedSize(du.x(kDialogWidth), du.y(kDialogHeight));

    SetupWindow(listing);
    connect(SelectComp, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            UpdateCompRadio();
    });
    connect(SelectMod, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            UpdateModRadio();
    });
    followSystemColours(this);
}

void DPatchImportGPTDialog::SetupWindow(const amplix::GuitarPortListing& listing) {
    if (listing.offerEffectChoice) {
        SelectMod->setChecked(true);
        *p_modOrComp = amplix::kLoadModulation;
        for (const ChoiceText& c : kChoiceTexts)
            (this->*c.member)->show();
        SelectComp->show();
        SelectMod->show();
    }
    // A static shows its text as a C string does: up to the first NUL.
    for (const InfoStatic& s : kInfoStatics)
        (this->*s.member)->setText(QString::fromLatin1(listing.information[std::size_t(s.info)].c_str()));
}

void DPatchImportGPTDialog::UpdateCompRadio() {
    *p_modOrComp = amplix::kLoadCompressor;
}

void DPatchImportGPTDialog::UpdateModRadio() {
    *p_modOrComp = amplix::kLoadModulation;
}

int DPatchImportGPTDialog::Execute() {
    return runDialog(*this);
}
