// The busy wait: a job on a worker thread, a local event loop without user input.
#include "app/BusyWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace {
// A store takes 49 ms on the cable and needs no busy cursor; a bank takes 1.6 s.
constexpr int kBusyCursorDelayMs = 150;
} // namespace

void runWhileRepainting(const std::function<void()>& job) {
    QEventLoop loop;
    std::thread worker([&] {
        job();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    bool busyCursor = false;
    QTimer busy;
    busy.setSingleShot(true);
    QObject::connect(&busy, &QTimer::timeout, [&] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor = true;
    });
    busy.start(kBusyCursorDelayMs);

    // Returns when the job is done, or at once when the application is quitting: then the job
    // is simply waited for.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (busyCursor)
        QApplication::restoreOverrideCursor();
}
