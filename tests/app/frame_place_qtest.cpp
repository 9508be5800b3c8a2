// The main window on a real X server: under a window manager its frame, title bar included, sits
// at the screen's top left at every scale; without one its client area does. Each case runs in a
// process of its own with an Xvfb (and openbox) started for it.
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "support/FrameHarness.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::FrameHarness;

namespace {

struct Case {
    const char* name;
    const char* scale;
    const char* screen;
    bool windowManager;
};

constexpr Case kCases[] = {
    {"openbox, scale 1, 1280x1024", "1", "1280x1024x24", true},
    {"openbox, scale 2, 1600x1200", "2", "1600x1200x24", true},
    {"no window manager, scale 1", "1", "1280x1024x24", false},
};

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string file = dirs.substr(start, end - start) + "/" + program;
        if (access(file.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

pid_t spawn(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        prctl(PR_SET_PDEATHSIG, SIGTERM); // gone with the case, however it ends
        // Their chatter is not the test's.
        if (std::freopen("/dev/null", "w", stderr) && std::freopen("/dev/null", "w", stdout))
            execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

bool exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// A display number no server uses.
int freeDisplay() {
    for (int n = 140; n < 400; ++n)
        if (!exists("/tmp/.X11-unix/X" + std::to_string(n)) &&
            !exists("/tmp/.X" + std::to_string(n) + "-lock"))
            return n;
    return -1;
}

const Case* current = nullptr;
QString skipReason;

} // namespace

class FramePlaceTest : public QObject {
    Q_OBJECT

private slots:
    void theFrameSitsOnTheScreen() {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        if (current->windowManager) {
            // The window manager decorates a window shown once it is running.
            bool running = false;
            for (int attempt = 0; attempt < 20 && !running; ++attempt) {
                QWidget probe;
                probe.resize(100, 100);
                probe.show();
                running =
                    QTest::qWaitFor([&] { return probe.windowHandle()->frameMargins().top() > 0; }, 500);
            }
            QVERIFY2(running, "openbox did not start");
        }
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRect screen = f.screen()->availableGeometry();
        QWindow* window = f.windowHandle();
        if (current->windowManager) {
            QTRY_VERIFY(window->frameMargins().top() > 0);
            QTRY_COMPARE(window->framePosition(), screen.topLeft());
            QVERIFY2(screen.contains(window->frameGeometry()),
                     qPrintable(QStringLiteral("%1x%2")
                                    .arg(window->frameGeometry().width())
                                    .arg(window->frameGeometry().height())));
        } else {
            QTRY_COMPARE(window->position(), QPoint(0, 0));
            QCOMPARE(window->frameMargins(), QMargins());
        }
        // Fixed in size, the panel whole at every scale.
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QCOMPARE(f.size(), f.minimumSize());
        QCOMPARE(f.centralWidget()->size(), QSize(700, 515 + DStatusLine::kHeight));
    }
};

int main(int argc, char** argv) {
    bool failed = false;
    for (const Case& c : kCases) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            current = &c;
            std::vector<pid_t> servers;
            const int display = freeDisplay();
            if (!onPath("Xvfb"))
                skipReason = QStringLiteral("Xvfb is not installed");
            else if (c.windowManager && !onPath("openbox"))
                skipReason = QStringLiteral("openbox is not installed");
            else if (display < 0)
                skipReason = QStringLiteral("no free display number");
            if (skipReason.isEmpty()) {
                const std::string name = ":" + std::to_string(display);
                servers.push_back(spawn({"Xvfb", name, "-screen", "0", c.screen, "-nolisten", "tcp"}));
                for (int wait = 0; wait < 500 && !exists("/tmp/.X11-unix/X" + std::to_string(display));
                     ++wait)
                    usleep(10000);
                setenv("DISPLAY", name.c_str(), 1);
                if (c.windowManager)
                    servers.push_back(spawn({"openbox", "--sm-disable"}));
                setenv("QT_QPA_PLATFORM", "xcb", 1);
                setenv("QT_SCALE_FACTOR", c.scale, 1);
            }
            std::printf("--- %s\n", c.name);
            int result = 1;
            {
                QApplication app(argc, argv);
                FramePlaceTest test;
                result = QTest::qExec(&test, argc, argv);
            }
            for (auto it = servers.rbegin(); it != servers.rend(); ++it) {
                kill(*it, SIGTERM);
                waitpid(*it, nullptr, 0);
            }
            std::fflush(stdout);
            _exit(result);
        }
        int status = 0;
        waitpid(child, &status, 0);
        failed |= !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    return failed ? 1 : 0;
}

#include "frame_place_qtest.moc"
