// Reading the simulator's files at start-up and writing them as the device changes.
#include "midi/SimulatorStore.h"

#include "app/UiTextsQt.h"
#include "device/SimulatorMemory.h"
#include "files/BoundedRead.h"
#include "files/SafeSave.h"
#include "import/FileFailure.h"
#include "import/PatchSource.h"
#include "midi/MidiTrace.h"
#include "midi/SimulatorMidiService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace amplix;

namespace {

QString fileName(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

SavedFile readSaved(const QString& path) {
    SavedFile saved;
    if (!QFileInfo::exists(path))
        return saved;
    QString why;
    if (auto bytes = readFileBounded(path, qint64(kPatchFileReadLimit), &why)) {
        const auto span = byteSpan(*bytes);
        saved.bytes.emplace(span.begin(), span.end());
    } else {
        saved.unreadable = why.isEmpty() ? std::string("Unknown error") : why.toStdString();
    }
    return saved;
}

QByteArray bytesOf(const PodDevice::Message& message) {
    return QByteArray(reinterpret_cast<const char*>(message.data()), qsizetype(message.size()));
}

// What the file held, when it was taken: the next write need not repeat it.
QByteArray taken(const SavedFile& file, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(file.bytes->data()), qsizetype(size));
}

} // namespace

QString SimulatorStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

SimulatorStore::SimulatorStore(SimulatorMidiService& simulator, const QString& folder, int coalesceMs,
                               QObject* parent)
    : QObject(parent), simulator_(simulator), folder_(folder) {
    coalesce_.setSingleShot(true);
    coalesce_.setInterval(coalesceMs);
    connect(&coalesce_, &QTimer::timeout, this, &SimulatorStore::flush);
    load();
    // The device changes on whichever thread sends to it: note it there, write it here.
    simulator_.setChangeListener([this] {
        dirty_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!coalesce_.isActive())
                    coalesce_.start();
            },
            Qt::QueuedConnection);
    });
}

SimulatorStore::~SimulatorStore() {
    simulator_.setChangeListener(nullptr);
    flush();
}

QString SimulatorStore::bankPath() const {
    return QDir(folder_).filePath(fileName(kSimulatorBankFile));
}

QString SimulatorStore::editBufferPath() const {
    return QDir(folder_).filePath(fileName(kSimulatorEditBufferFile));
}

void SimulatorStore::load() {
    const SavedFile bank = readSaved(bankPath());
    const SavedFile editBuffer = readSaved(editBufferPath());
    SimulatorRestore restore;
    simulator_.withDevice([&](PodDevice& device) { restore = restoreSimulator(device, bank, editBuffer); });
    if (restore.bankTaken)
        bankWritten_ = taken(bank, kBankDumpSize);
    if (restore.editBufferTaken)
        editWritten_ = taken(editBuffer, kSingleDumpSize);
    // Refused files keep what they hold for whoever wants to look into them.
    const auto keepAside = [](const QString& path, const SavedFile& file, bool wasTaken) {
        if (wasTaken || !file.bytes)
            return;
        const QString aside = path + QStringLiteral(".refused");
        QFile::remove(aside);
        QFile::rename(path, aside);
    };
    keepAside(bankPath(), bank, restore.bankTaken);
    keepAside(editBufferPath(), editBuffer, restore.editBufferTaken);
    notice_ = QString::fromStdString(restore.notice);
    if (!notice_.isEmpty())
        midiTrace(restore.notice);
}

bool SimulatorStore::flush() {
    coalesce_.stop();
    if (!dirty_.exchange(false))
        return true;
    QByteArray bank, editBuffer;
    simulator_.withDevice([&](PodDevice& device) {
        bank = bytesOf(device.bankDump());
        editBuffer = bytesOf(device.editBufferDump());
    });
    QDir().mkpath(folder_); // a folder that cannot be made fails the write with the system's reason
    std::string refused = writeIfChanged(bankPath(), bank, bankWritten_);
    const std::string editBufferRefused = writeIfChanged(editBufferPath(), editBuffer, editWritten_);
    if (refused.empty())
        refused = editBufferRefused;
    if (refused.empty())
        return true;
    // Tried again with the next change, or at the end.
    dirty_ = true;
    const std::string line = fillText(text::kStatusSimulatorNotKept, {refused});
    midiTrace(line);
    emit writeFailed(QString::fromStdString(line));
    return false;
}

std::string SimulatorStore::writeIfChanged(const QString& path, const QByteArray& bytes,
                                           QByteArray& written) {
    if (bytes == written)
        return {};
    QString why;
    if (!saveWholeFile(path, reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size(), &why))
        return unwritableReason(QFileInfo(path).fileName().toStdString(), why.toStdString());
    written = bytes;
    ++writes_;
    return {};
}
