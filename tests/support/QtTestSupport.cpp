// Modal dialogs, message boxes and controls handled for GUI tests as a user would.
#include "support/QtTestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTemporaryFile>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <unistd.h>

namespace testsupport {

struct MessageBoxWatcher::Impl {
    QList<SeenBox> seen;
    QTimer timer;
    QString answer;
    QStringList answers;
};

MessageBoxWatcher::MessageBoxWatcher() : impl_(new Impl) {
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        impl_->seen.append({box->windowTitle(), box->text()});
        if (!impl_->answers.isEmpty())
            impl_->answer = impl_->answers.takeFirst();
        for (QAbstractButton* button : box->buttons())
            if (!impl_->answer.isEmpty() && button->text() == impl_->answer) {
                button->click();
                return;
            }
        if (auto* ok = box->button(QMessageBox::Ok))
            ok->click();
        else if (auto* yes = box->button(QMessageBox::Yes)) // "replace the file?": as a user who means it
            yes->click();
        else
            box->reject();
    });
    impl_->timer.start(5);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    delete impl_;
}
const QList<SeenBox>& MessageBoxWatcher::seen() const {
    return impl_->seen;
}
void MessageBoxWatcher::clear() {
    impl_->seen.clear();
}
void MessageBoxWatcher::answerWith(const QString& buttonText) {
    impl_->answer = buttonText;
}
void MessageBoxWatcher::answerInTurn(const QStringList& buttonTexts) {
    impl_->answers = buttonTexts;
}

struct DialogWatcher::Impl {
    std::function<void(QWidget*)> handler;
    QTimer timer;
    int count = 0;
    bool busy = false;
};

DialogWatcher::DialogWatcher(std::function<void(QWidget*)> handler) : impl_(new Impl) {
    // File dialogs remember folders in the user's settings; tests keep theirs apart.
    QStandardPaths::setTestModeEnabled(true);
    impl_->handler = std::move(handler);
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (impl_->busy || !modal || !modal->isVisible() || qobject_cast<QMessageBox*>(modal))
            return;
        impl_->busy = true; // the handler may open nested loops; one dialog at a time
        ++impl_->count;
        impl_->handler(modal);
        impl_->busy = false;
    });
    impl_->timer.start(5);
}

DialogWatcher::~DialogWatcher() {
    delete impl_;
}
int DialogWatcher::count() const {
    return impl_->count;
}

FileDialogAnswers::FileDialogAnswers()
    : other([](QWidget* d) { static_cast<QDialog*>(d)->reject(); }), watcher([this](QWidget* d) {
          auto* files = qobject_cast<QFileDialog*>(d);
          if (!files)
              return other(d);
          if (paths.isEmpty())
              return files->reject();
          const QFileInfo chosen(paths.takeFirst());
          files->setDirectory(chosen.absolutePath());
          files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen.fileName());
          static_cast<QDialog*>(files)->accept();
      }) {}

void whenModalOpens(std::function<void(QWidget*)> action, int timeoutMs) {
    auto* timer = new QTimer;
    auto started = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, started, timeoutMs] {
        *started += 10;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && !qobject_cast<QMessageBox*>(modal)) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (*started > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

std::vector<std::uint8_t> readFileBytes(const QString& path) {
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return {bytes.begin(), bytes.end()};
}

QString writeFileBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
        qWarning("could not write %s", qPrintable(path));
    return path;
}

void pressButton(QWidget* dialog, const char* objectName) {
    auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(objectName));
    if (!button)
        qFatal("no button %s in %s", objectName, qPrintable(dialog->objectName()));
    button->click();
}

struct StderrCapture::Impl {
    QTemporaryFile file;
    int saved = -1;
};

StderrCapture::StderrCapture() : impl_(new Impl) {
    impl_->file.open();
    std::fflush(stderr);
    impl_->saved = dup(STDERR_FILENO);
    dup2(impl_->file.handle(), STDERR_FILENO);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    dup2(impl_->saved, STDERR_FILENO);
    close(impl_->saved);
    delete impl_;
}

std::string StderrCapture::text() {
    std::fflush(stderr);
    QFile file(impl_->file.fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

QString hexBytes(const std::vector<std::uint8_t>& bytes) {
    QStringList parts;
    for (std::uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(' ');
}

QString ccHex(int channel, int controller, int value) {
    return hexBytes({std::uint8_t(0xB0 | channel), std::uint8_t(controller), std::uint8_t(value)});
}

void chooseInPopup(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex entry = list->model()->index(index, 0);
    view->scrollTo(entry);
    const QPoint at = view->visualRect(entry).center();
    // The popup ignores a release that comes within a double-click time of its opening.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->window()->isVisible());
}

void chooseByKeyboard(QComboBox* list, int index) {
    const bool fromBelow = index == 0;
    {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(fromBelow ? 1 : index - 1);
    }
    list->setFocus();
    QTest::keyClick(list, fromBelow ? Qt::Key_Up : Qt::Key_Down);
}

namespace {
// QSlider's style option is protected; a member pointer taken through a subclass reaches it.
struct SliderAccess : QSlider {
    static constexpr auto init = &SliderAccess::initStyleOption;
};
} // namespace

QRect sliderThumb(const QSlider* slider) {
    QStyleOptionSlider option;
    (slider->*SliderAccess::init)(&option);
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

// The press point's offset into the thumb plus the first pixel QSlider maps to position.
QPoint sliderDragPoint(const QSlider* slider, QPoint press, int position) {
    QStyleOptionSlider option;
    (slider->*SliderAccess::init)(&option);
    const QStyle* style = slider->style();
    const QRect groove = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    const QRect thumb = sliderThumb(slider);
    const bool across = slider->orientation() == Qt::Horizontal;
    const int start = across ? groove.x() : groove.y();
    const int span = (across ? groove.right() - thumb.width() : groove.bottom() - thumb.height()) + 1 - start;
    const int grip = across ? press.x() - thumb.x() : press.y() - thumb.y();
    for (int pixel = 0; pixel <= span; ++pixel)
        if (QStyle::sliderValueFromPosition(slider->minimum(), slider->maximum(), pixel, span,
                                            option.upsideDown) == position)
            return across ? QPoint(start + pixel + grip, press.y()) : QPoint(press.x(), start + pixel + grip);
    return {};
}

// For check boxes and buttons the room is what the style leaves after the indicator and margins.
QString drawnOtherwise(const QLabel* label) {
    // The same characters in a plain-text label beside it: same parent, size, font, frame and layout.
    QLabel plain(label->parentWidget());
    plain.hide();
    plain.setTextFormat(Qt::PlainText);
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAutoFillBackground(label->autoFillBackground());
    plain.setFrameStyle(label->frameStyle());
    plain.setLineWidth(label->lineWidth());
    plain.setAlignment(label->alignment());
    plain.setWordWrap(label->wordWrap());
    plain.setIndent(label->indent());
    plain.setMargin(label->margin());
    plain.setContentsMargins(label->contentsMargins());
    plain.setText(label->text());
    plain.setGeometry(label->geometry());
    if (const_cast<QLabel*>(label)->grab().toImage() == plain.grab().toImage())
        return {};
    return QStringLiteral("%1 \"%2\" is not drawn as its characters").arg(label->objectName(), label->text());
}

QString textClipping(const QWidget* control, const QString& text) {
    const QFontMetrics metrics = control->fontMetrics();
    QRect room = control->rect();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        const bool box = qobject_cast<const QCheckBox*>(button);
        room = button->style()->subElementRect(
            box ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    }
    const QSize needs(metrics.horizontalAdvance(text), metrics.height());
    if (needs.width() <= room.width() && needs.height() <= room.height())
        return {};
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(control->objectName(), text)
        .arg(needs.width())
        .arg(needs.height())
        .arg(room.width())
        .arg(room.height());
}

} // namespace testsupport
