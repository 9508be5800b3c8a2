// The MIDI monitor window: it listens to the frame's log only while shown and not paused, so a
// closed monitor costs the MIDI paths nothing but a check.
#include "midi/DMidiMonitor.h"

#include "app/UiTextsQt.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace amplix;

namespace {
constexpr int kDefaultWidth = 560;
constexpr int kDefaultHeight = 360;
} // namespace

DMidiMonitor::DMidiMonitor(QWidget* parent, MidiMonitorLog& log) : QWidget(parent, Qt::Window), log_(log) {
    setObjectName(QStringLiteral("MidiMonitor"));
    setWindowTitle(qtText(text::kMonitorTitle));

    lines_ = new QPlainTextEdit(this);
    lines_->setObjectName(QStringLiteral("Lines"));
    lines_->setReadOnly(true);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setMaximumBlockCount(kMaxLines);
    lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    pause_ = new QPushButton(qtText(text::kMonitorPause), this);
    pause_->setObjectName(QStringLiteral("Pause"));
    pause_->setCheckable(true);
    auto* clear = new QPushButton(qtText(text::kMonitorClear), this);
    clear->setObjectName(QStringLiteral("Clear"));
    auto* copy = new QPushButton(qtText(text::kMonitorCopy), this);
    copy->setObjectName(QStringLiteral("Copy"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_);
    buttons->addWidget(clear);
    buttons->addWidget(copy);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines_);
    layout->addLayout(buttons);
    resize(kDefaultWidth, kDefaultHeight);

    connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
        if (paused) {
            showWaiting(); // what came before the click is shown, nothing after it
            log_.stop();
        } else if (isVisible()) {
            listen();
        }
    });
    connect(clear, &QPushButton::clicked, lines_, &QPlainTextEdit::clear);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
}

DMidiMonitor::~DMidiMonitor() {
    log_.stop();
}

QString DMidiMonitor::text() const {
    return lines_->toPlainText();
}

bool DMidiMonitor::paused() const {
    return pause_->isChecked();
}

void DMidiMonitor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!paused())
        listen();
}

void DMidiMonitor::hideEvent(QHideEvent* event) {
    log_.stop();
    QWidget::hideEvent(event);
}

void DMidiMonitor::listen() {
    // The wake may come from a backend's thread: it only posts, the lines are added here. The
    // log stops before this window goes, and a posted call dies with its window.
    log_.listen([this] {
        QMetaObject::invokeMethod(
            this, [this] { showWaiting(); }, Qt::QueuedConnection);
    });
}

void DMidiMonitor::showWaiting() {
    const std::vector<MonitorEntry> entries = log_.take();
    std::size_t dropped = log_.takeDropped();
    // More than the window keeps: the oldest go at once, and the line that says so stays in view.
    std::size_t first = 0;
    if (entries.size() >= std::size_t(kMaxLines))
        first = entries.size() - std::size_t(kMaxLines) + 1;
    dropped += first;
    // One append for all that waits: a line at a time would lay the text out for each.
    QStringList batch;
    if (dropped)
        batch << qtText(text::kMonitorDropped).arg(dropped);
    for (std::size_t i = first; i < entries.size(); ++i) {
        const MonitorEntry& entry = entries[i];
        const int msOfDay = QDateTime::fromMSecsSinceEpoch(entry.msSinceEpoch).time().msecsSinceStartOfDay();
        // Patch names are Latin-1, the rest ASCII.
        const std::string line = monitorLine(msOfDay, entry.direction, entry.bytes);
        batch << QString::fromLatin1(line.data(), qsizetype(line.size()));
    }
    if (!batch.isEmpty())
        lines_->appendPlainText(batch.join(QLatin1Char('\n')));
}
