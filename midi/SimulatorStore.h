// The built-in simulator's patches and edit buffer, kept in the user's data folder between runs.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <string>

namespace amplix {
class SimulatorMidiService;
}

// Takes the saved files into the simulator when made, then writes them again whenever the
// device's patches or edit buffer change: a burst of changes (a slider dragged) is written once
// when it has lasted coalesceMs, and whatever is not written yet goes out on flush() and when
// the store ends, so nothing is lost at quit. A file only changes when what it holds does; each
// is written whole through a temporary file. A saved file that is refused at start-up is kept
// aside as "<name>.refused" before the next write replaces it.
class SimulatorStore : public QObject {
    Q_OBJECT

public:
    static constexpr int kCoalesceMs = 1000;

    // The user's data folder (QStandardPaths' AppDataLocation).
    static QString defaultFolder();

    SimulatorStore(amplix::SimulatorMidiService& simulator, const QString& folder,
                   int coalesceMs = kCoalesceMs, QObject* parent = nullptr);
    ~SimulatorStore() override;
    SimulatorStore(const SimulatorStore&) = delete;
    SimulatorStore& operator=(const SimulatorStore&) = delete;

    // What start-up found, for the status line; empty when both files were taken.
    QString notice() const { return notice_; }
    QString bankPath() const;
    QString editBufferPath() const;
    // Writes now whatever changed since the last write; false when a file could not be written.
    bool flush();
    // Files written so far.
    int writes() const { return writes_; }

signals:
    // A file could not be written: the line for the status line.
    void writeFailed(const QString& line);

private:
    void load();
    // Why the file could not be written; empty when it was, or needed no writing.
    std::string writeIfChanged(const QString& path, const QByteArray& bytes, QByteArray& written);

    amplix::SimulatorMidiService& simulator_;
    const QString folder_;
    QTimer coalesce_;
    std::atomic<bool> dirty_{false};
    QString notice_;
    QByteArray bankWritten_; // what each file holds, as far as this run knows; empty: unknown
    QByteArray editWritten_;
    int writes_ = 0;
};
