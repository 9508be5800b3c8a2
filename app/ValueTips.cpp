// The value label of a moving slider and the name-and-value tooltips of the tone map's controls.
#include "app/ValueTips.h"

#include "tone/ToneControls.h"
#include "tone/ToneMap.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QHash>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolTip>

namespace {

// Room between the label and the thumb.
constexpr int kGap = 4;
constexpr const char* kValueTipsName = "ValueTips";

QString text(const std::string& s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// QSlider's style option is protected; a member pointer taken through a subclass reaches it.
struct SliderAccess : QSlider {
    static constexpr auto init = &SliderAccess::initStyleOption;
};

// The thumb's rectangle in the coordinates of to.
QRect thumbIn(const QSlider* slider, const QWidget* to) {
    QStyleOptionSlider option;
    (slider->*SliderAccess::init)(&option);
    const QRect thumb =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    return thumb.translated(slider->mapTo(to, QPoint(0, 0)));
}

class ValueTips : public QObject {
public:
    explicit ValueTips(QWidget* frame);
    void attach(QWidget* control, const amplix::ToneParameter& parameter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showValue(QSlider* slider);
    void place(const QSlider* slider);
    bool refreshToolTip(QWidget* control);

    QWidget* frame_;
    QLabel* label_;
    QTimer hideTimer_;
    QPointer<QSlider> shownFor_;
    QHash<const QObject*, const amplix::ToneParameter*> parameters_;
    QPointer<QWidget> hovered_;
    QPoint hoveredAt_;
};

ValueTips::ValueTips(QWidget* frame) : QObject(frame), frame_(frame), label_(new QLabel(frame)) {
    setObjectName(QString::fromLatin1(kValueTipsName));
    // A child of the frame: it stays inside the window and never takes the focus or a click.
    label_->setObjectName(QString::fromLatin1(kValueTipName));
    label_->setTextFormat(Qt::PlainText);
    label_->setFrameStyle(QFrame::Box | QFrame::Plain);
    label_->setLineWidth(1);
    label_->setMargin(1);
    label_->setIndent(2);
    label_->setAutoFillBackground(true);
    label_->setFocusPolicy(Qt::NoFocus);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_->hide();

    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, [this] {
        if (shownFor_ && shownFor_->isSliderDown())
            return; // held still: the release hides it
        label_->hide();
    });
}

void ValueTips::attach(QWidget* control, const amplix::ToneParameter& parameter) {
    parameters_.insert(control, &parameter);
    control->installEventFilter(this);
    refreshToolTip(control);
    auto* slider = qobject_cast<QSlider*>(control);
    if (!slider)
        return;
    // Connected after the window's own handlers, so a thumb they put back shows where it stays.
    connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider] { showValue(slider); });
    connect(slider, &QAbstractSlider::sliderPressed, this, [this, slider] { showValue(slider); });
    connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] {
        if (shownFor_ == slider)
            hideTimer_.start(kValueTipReleaseHideMs);
    });
}

bool ValueTips::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || !parameters_.contains(watched))
        return false;
    switch (event->type()) {
    case QEvent::ToolTip:
        // The widget shows its tooltip once this returns: bring it up to date first.
        refreshToolTip(control);
        hovered_ = control;
        hoveredAt_ = static_cast<QHelpEvent*>(event)->globalPos();
        break;
    case QEvent::Paint:
        // The program sets controls without a signal; a repaint is the sign that one changed.
        // An open tooltip of that control follows.
        if (refreshToolTip(control) && hovered_ == control && QToolTip::isVisible())
            QTimer::singleShot(0, this, [this, control = QPointer<QWidget>(control)] {
                if (control && hovered_ == control && QToolTip::isVisible())
                    QToolTip::showText(hoveredAt_, control->toolTip(), control);
            });
        break;
    case QEvent::Hide:
        if (watched == shownFor_)
            label_->hide();
        break;
    default:
        break;
    }
    return false;
}

bool ValueTips::refreshToolTip(QWidget* control) {
    const QString tip = text(amplix::labelledValueText(*parameters_.value(control), controlState(control)));
    if (control->toolTip() == tip)
        return false;
    control->setToolTip(tip);
    return true;
}

void ValueTips::showValue(QSlider* slider) {
    // The tooltip's colours, taken each time so that a change of the system colours shows.
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::ToolTipText));
    label_->setPalette(palette);
    label_->setFont(QToolTip::font());
    label_->setText(text(amplix::valueText(*parameters_.value(slider), controlState(slider))));
    label_->resize(label_->sizeHint());
    place(slider);
    label_->raise();
    label_->show();
    shownFor_ = slider;
    hideTimer_.start(kValueTipHideMs);
}

// Beside the thumb of a vertical slider, on the side of its ticks where there is room; above
// the thumb of a horizontal one, else below it. Always inside the window.
void ValueTips::place(const QSlider* slider) {
    const QRect thumb = thumbIn(slider, frame_);
    const QRect window = frame_->rect();
    QRect tip(QPoint(0, 0), label_->size());
    if (slider->orientation() == Qt::Vertical) {
        tip.moveTop(thumb.center().y() - tip.height() / 2);
        tip.moveLeft(thumb.right() + 1 + kGap);
        if (tip.right() > window.right())
            tip.moveRight(thumb.left() - 1 - kGap);
    } else {
        tip.moveLeft(thumb.center().x() - tip.width() / 2);
        tip.moveBottom(thumb.top() - 1 - kGap);
        if (tip.top() < window.top())
            tip.moveTop(thumb.bottom() + 1 + kGap);
    }
    tip.moveLeft(qBound(window.left(), tip.left(), window.right() + 1 - tip.width()));
    tip.moveTop(qBound(window.top(), tip.top(), window.bottom() + 1 - tip.height()));
    label_->move(tip.topLeft());
}

} // namespace

void attachValueTips(QWidget* frame) {
    if (frame->findChild<QObject*>(QString::fromLatin1(kValueTipsName), Qt::FindDirectChildrenOnly))
        return;
    auto* tips = new ValueTips(frame);
    for (const amplix::ToneParameter& parameter : amplix::toneMap()) {
        if (parameter.member.empty())
            continue;
        const QString name = QString::fromLatin1(parameter.member.data(), qsizetype(parameter.member.size()));
        auto* control = frame->findChild<QWidget*>(name);
        if (qobject_cast<QSlider*>(control) || qobject_cast<QAbstractButton*>(control) ||
            qobject_cast<QComboBox*>(control))
            tips->attach(control, parameter);
    }
}
