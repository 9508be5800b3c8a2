// The busy wait: a job on a worker thread, a local event loop without user input.
#include "app/BusyWait.h"

#include "app/BusyCursor.h"

#include <QEventLoop>

#include <thread>

void runWhileRepainting(const std::function<void()>& job) {
    QEventLoop loop;
    std::thread worker([&] {
        job();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    BusyCursor busy;
    busy.begin();

    // Returns when the job is done, or at once when the application is quitting: then the job
    // is simply waited for.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}
