// Dialog 306, "Patch Import", built in code: the patches of a Line 6 Edit file and their information.
#include "import/DPatchImportL6EditDialog.h"

#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"
#include "import/Line6Edit.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <array>

using namespace amplix::text;

namespace {
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int ID_L6TSONG = 769;
constexpr int ID_L6TAUTHOR = 770;
constexpr int ID_L6TCOMMENT = 771;
constexpr int ID_L6TGUITARIST = 772;
constexpr int ID_L6TBAND = 773;
constexpr int ID_L6TSTYLE = 774;
constexpr int ID_L6TPICKUP = 775;
constexpr int ID_L6TAMP = 776;
constexpr int ID_PATCHSELECT = 777;

// The information lines, top to bottom, in dialog units.
constexpr int kInfoX = 172;
constexpr int kInfoWidth = 186; // room for a band name such as "Stevie Ray Vaughan & Double Trouble"
constexpr int kInfoTop = 16;
constexpr int kInfoStep = 12;
constexpr int kLineHeight = 8;
constexpr int kCommentLabelRow = 8;
constexpr int kCommentRow = 9;
constexpr int kInfoBottom = 184; // the comment takes what is left of the frame

QFrame* makeFrame(QWidget* parent, const char* name, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(geometry);
    frame->lower();
    return frame;
}

} // namespace

DPatchImportL6EditDialog::DPatchImportL6EditDialog(QWidget* parent,
                                                   const std::vector<amplix::ImportEntry>& entries)
    : QDialog(parent), entries_(entries) {
    setObjectName(QStringLiteral("DPatchImportL6EditDialog"));
    setWindowTitle(qtText(kImportTitle));
    setModal(true);
    const DialogUnits du(this);

    makeFrame(this, "IntroFrame", du.rect(7, 7, 150, 30));
    makeStatic(this, "StaticIntro1", -1, du.rect(13, 12, 138, 8), qtText(kImportLine6EditLine1));
    makeStatic(this, "StaticIntro2", -1, du.rect(13, 23, 138, 8), qtText(kImportLine6EditLine2));

    PatchSelect = new QListWidget(this);
    PatchSelect->setObjectName(QStringLiteral("PatchSelect"));
    PatchSelect->setProperty(kControlIdProperty, ID_PATCHSELECT);
    PatchSelect->setGeometry(du.rect(7, 43, 150, 124));
    PatchSelect->setSelectionMode(QAbstractItemView::SingleSelection);
    PatchSelect->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    PatchSelect->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* ok = makeButton(this, "OK", IDOK, du.rect(24, 174, 50, 14), qtText(kButtonOk));
    ok->setDefault(true);
    auto* cancel = makeButton(this, "Cancel", IDCANCEL, du.rect(90, 174, 50, 14), qtText(kButtonCancel));
    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });

    makeFrame(this, "InfoFrame", du.rect(165, 7, 200, 181));
    auto line = [&](int row) { return du.rect(kInfoX, kInfoTop + kInfoStep * row, kInfoWidth, kLineHeight); };
    L6TAmp = makeStatic(this, "L6TAmp", ID_L6TAMP, line(0), qtText(kImportAmp));
    L6TPickup = makeStatic(this, "L6TPickup", ID_L6TPICKUP, line(1), qtText(kImportPickup));
    L6TStyle = makeStatic(this, "L6TStyle", ID_L6TSTYLE, line(2), qtText(kImportStyle));
    L6TBand = makeStatic(this, "L6TBand", ID_L6TBAND, line(3), qtText(kImportBand));
    L6TSong = makeStatic(this, "L6TSong", ID_L6TSONG, line(4), qtText(kImportSong));
    L6TGuitarist = makeStatic(this, "L6TGuitarist", ID_L6TGUITARIST, line(5), qtText(kImportGuitarist));
    L6TAuthor = makeStatic(this, "L6TAuthor", ID_L6TAUTHOR, line(6), qtText(kImportAuthor));
    makeStatic(this, "StaticComment", -1, line(kCommentLabelRow), qtText(kImportComment));
    const int commentTop = kInfoTop + kInfoStep * kCommentRow;
    L6TComment = makeStatic(this, "L6TComment", ID_L6TCOMMENT,
                            du.rect(kInfoX, commentTop, kInfoWidth, kInfoBottom - commentTop), QString());
    L6TComment->setWordWrap(true);

    setFixedSize(du.x(372), du.y(195));
    SetupWindow();
    followSystemColours(this);
    PatchSelect->setFocus();
}

void DPatchImportL6EditDialog::SetupWindow() {
    // Names are 8-bit characters as the file stores them.
    for (const auto& entry : entries_)
        PatchSelect->addItem(QString::fromLatin1(entry.name.data(), qsizetype(entry.name.size())));
    connect(PatchSelect, &QListWidget::currentRowChanged, this, &DPatchImportL6EditDialog::UpdatePatchSelect);
    if (PatchSelect->count() > 0)
        PatchSelect->setCurrentRow(0); // runs UpdatePatchSelect
}

void DPatchImportL6EditDialog::UpdatePatchSelect() {
    patchIndex_ = PatchSelect->currentRow();
    if (patchIndex_ < 0 || std::size_t(patchIndex_) >= entries_.size())
        return;
    // A block too short to say anything leaves the previous patch's texts in place.
    const auto& texts = entries_[std::size_t(patchIndex_)].information;
    if (texts.size() != amplix::kLine6EditTextCount)
        return;
    using amplix::Line6EditText;
    const std::array<std::pair<QLabel*, Line6EditText>, amplix::kLine6EditTextCount> labels = {{
        {L6TAmp, Line6EditText::Amp},
        {L6TPickup, Line6EditText::Pickup},
        {L6TStyle, Line6EditText::Style},
        {L6TBand, Line6EditText::Band},
        {L6TSong, Line6EditText::Song},
        {L6TGuitarist, Line6EditText::Guitarist},
        {L6TAuthor, Line6EditText::Author},
        {L6TComment, Line6EditText::Comment},
    }};
    for (const auto& [label, which] : labels) {
        const std::string& text = texts[std::size_t(which)];
        label->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
        label->setToolTip(label->text()); // a text longer than its line can still be read whole
    }
}

int DPatchImportL6EditDialog::Execute() {
    return exec() == IDOK ? patchIndex_ : -1;
}
