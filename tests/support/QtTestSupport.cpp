// Modal dialog and message box handling for GUI tests.
#include "support/QtTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace testsupport {

struct MessageBoxWatcher::Impl {
    QList<SeenBox> seen;
    QTimer timer;
};

MessageBoxWatcher::MessageBoxWatcher() : impl_(new Impl) {
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        impl_->seen.append({box->windowTitle(), box->text()});
        if (auto* ok = box->button(QMessageBox::Ok))
            ok->click();
        else if (auto* yes = box->button(QMessageBox::Yes)) // "replace the file?": as a user who means it
            yes->click();
        else
            box->reject();
    });
    impl_->timer.start(5);
}

MessageBoxWatcher::~MessageBoxWatcher() { delete impl_; }
const QList<SeenBox>& MessageBoxWatcher::seen() const { return impl_->seen; }
void MessageBoxWatcher::clear() { impl_->seen.clear(); }

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

DialogWatcher::~DialogWatcher() { delete impl_; }
int DialogWatcher::count() const { return impl_->count; }

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

} // namespace testsupport
