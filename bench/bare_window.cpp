// The start-up baseline: a bare Qt 6 Widgets program that only shows an empty 700x555 window.
//
// With --text the window also shows one line of text, a second baseline that includes what any
// text costs at start-up (the font database, font matching and glyph rendering).
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

// Prints one line and ends the program at once once the window's first expose is handled, as the editor
// does with AMPLIX_EXIT_WHEN_SHOWN=1, so both are measured to the same moment.
class ExitWhenShown : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        if (!done_ && event->type() == QEvent::Expose && window && window->isExposed()) {
            done_ = true;
            // Right after this expose has been handled, that is once the window is painted.
            QTimer::singleShot(0, this, [] {
                std::printf("bare_window: shown\n");
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(700, 555);
    if (argc > 1 && QByteArray(argv[1]) == "--text") {
        auto* label = new QLabel(QStringLiteral("Amplix 32"), &window);
        label->move(20, 20);
    }
    if (qEnvironmentVariableIntValue("AMPLIX_EXIT_WHEN_SHOWN") == 1) {
        window.winId();
        window.windowHandle()->installEventFilter(new ExitWhenShown(&app));
    }
    window.show();
    return app.exec();
}
