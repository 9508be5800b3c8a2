// Colour roles that follow the system palette, reapplied when the palette changes.
#include "app/SystemColours.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QWidget>

namespace {

void applyColours(QWidget* root) {
    const QPalette system = QApplication::palette();
    const QColor face = system.color(QPalette::Button);
    const QColor window = system.color(QPalette::Base);

    QPalette panel = root->palette();
    panel.setColor(QPalette::Window, face);
    root->setPalette(panel);
    root->setBackgroundRole(QPalette::Window);
    root->setAutoFillBackground(true);

    for (auto* list : root->findChildren<QComboBox*>()) {
        QPalette p = list->palette();
        p.setColor(QPalette::Button, window);
        p.setColor(QPalette::Base, window);
        list->setPalette(p);
        list->view()->setPalette(p);
    }
    for (auto* edit : root->findChildren<QLineEdit*>()) {
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, window);
        edit->setPalette(p);
    }
    for (auto* box : root->findChildren<QAbstractItemView*>()) {
        QPalette p = box->palette();
        p.setColor(QPalette::Base, window);
        box->setPalette(p);
    }
}

class ColourFollower : public QObject {
public:
    explicit ColourFollower(QWidget* root) : QObject(root), root_(root) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == root_ && event->type() == QEvent::ApplicationPaletteChange && root_)
            applyColours(root_);
        return false;
    }

private:
    QPointer<QWidget> root_;
};

} // namespace

void followSystemColours(QWidget* root) {
    applyColours(root);
    root->installEventFilter(new ColourFollower(root));
}
