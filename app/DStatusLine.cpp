// The status line under the patch strip.
#include "app/DStatusLine.h"

#include "app/UiTextsQt.h"
#include "midi/CablePacing.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <chrono>

namespace {

constexpr int kConnectionWidth = 260;
// What the left part grows by at most: the outcome keeps this much, and the frame's margins.
constexpr int kOutcomeMinWidth = 200;
constexpr int kTextMargin = 4;
constexpr int kProgressWidth = 170;
constexpr int kTickMs = 50;

QLabel* plainLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A text too long for its label ends in "..."; the whole of it is the label's tooltip.
void setFittingText(QLabel* label, const QString& text) {
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

} // namespace

DStatusLine::DStatusLine(QWidget* parent, int top, int width) : QFrame(parent) {
    setObjectName(QStringLiteral("StatusLine"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setGeometry(0, top, width, kHeight);

    StaticConnection = plainLabel(this, "StaticConnection");
    StaticConnection->setFixedWidth(kConnectionWidth);
    StaticOutcome = plainLabel(this, "StaticOutcome");
    TransferProgress = new QProgressBar(this);
    TransferProgress->setObjectName(QStringLiteral("TransferProgress"));
    TransferProgress->setFixedSize(kProgressWidth, kHeight - 8);
    TransferProgress->setTextVisible(true);
    TransferProgress->hide();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 0, 4, 0);
    row->setSpacing(12);
    row->addWidget(StaticConnection);
    row->addWidget(StaticOutcome, 1);
    row->addWidget(TransferProgress);

    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, &DStatusLine::showProgress);
}

void DStatusLine::showConnection(const QString& text) {
    // A word on the device (gone, on another channel) matters more than the outcome beside it:
    // the left part grows to show it whole, and the outcome is fitted again into what is left.
    const int wanted = StaticConnection->fontMetrics().horizontalAdvance(text) + kTextMargin;
    const int widest = std::max(kConnectionWidth, width() - kOutcomeMinWidth);
    StaticConnection->setFixedWidth(std::clamp(wanted, kConnectionWidth, widest));
    layout()->activate();
    setFittingText(StaticConnection, text);
    setFittingText(StaticOutcome, outcome_);
}

void DStatusLine::showOutcome(const QString& text) {
    outcome_ = text;
    // The label's width is known only once the layout has run.
    layout()->activate();
    setFittingText(StaticOutcome, text);
}

void DStatusLine::beginTransfer(const QString& what, int total) {
    showOutcome(what);
    total_ = total;
    elapsed_.start();
    TransferProgress->hide();
    tick_.start();
}

void DStatusLine::endTransfer() {
    tick_.stop();
    TransferProgress->hide();
}

void DStatusLine::showProgress() {
    if (elapsed_.elapsed() < kProgressDelayMs)
        return;
    const auto carried =
        amplix::bytesCarried(std::chrono::milliseconds(elapsed_.elapsed()), std::size_t(total_));
    if (carried < std::size_t(total_)) {
        TransferProgress->setRange(0, total_);
        TransferProgress->setValue(int(carried));
        // Qt fills in its own placeholders: the value and the maximum.
        TransferProgress->setFormat(
            qtText(amplix::text::kStatusProgress).arg(QStringLiteral("%v"), QStringLiteral("%m")));
    } else {
        // The cable could have carried it all by now: the device is late or silent.
        TransferProgress->setRange(0, 0);
        TransferProgress->setFormat(qtText(amplix::text::kStatusWaiting));
    }
    TransferProgress->show();
}
