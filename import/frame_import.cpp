// File > Import: the file dialog, format recognition, the SoundDiver chooser and the common tail.
#include "app/DFrame.h"

#include "app/MessageBox.h"
#include "import/DPatchImportDialog.h"
#include "app/FileDialogs.h"
#include "import/Line6Edit.h"
#include "import/SoundDiver.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <optional>

using namespace amplix;

namespace {

// Far beyond any patch library, small enough to hold in memory without thought.
constexpr qint64 kMaxImportFileSize = 64 * 1024 * 1024;
constexpr qint64 kReadPieceSize = 64 * 1024;

void showFailure(QWidget* parent, const ImportFailure& failure) {
    ShowMessage(parent, QString::fromStdString(failure.text), QString::fromStdString(failure.caption));
}

// The library entry the user picks, converted; nothing when none was chosen.
std::optional<ImportResult> chooseSoundDiverPatch(QWidget* parent, std::span<const std::uint8_t> file,
                                                  bool reversed) {
    const std::vector<ImportEntry> entries = listSoundDiver(file, reversed);
    DPatchImportDialog dialog(parent, entries);
    const int index = dialog.Execute();
    if (index < 0 || std::size_t(index) >= entries.size())
        return std::nullopt;
    return convertSoundDiver(file, entries[std::size_t(index)].position);
}

} // namespace

void DFrame::CmFileImport() {
    const QString path = askOpenFileName(
        this, QStringLiteral("All Patch Files (*.LIB;*.L6T;*.GPT)|*.LIB;*.L6T;*.GPT;*.L6B;*.L6C|SoundDiver (*.LIB)|*.LIB|"
                             "Line 6 Edit (*.L6T;*.L6B;*.L6C)|*.L6T;*.L6B;*.L6C|GuitarPort version 1 (*.GPT)|*.GPT|"));
    if (!path.isEmpty())
        importFile(path);
}

void DFrame::importFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showFailure(this, kCouldNotOpen);
        return;
    }
    // Read whole and closed at once; the readers then work on the bytes alone. Read in pieces
    // up to just past the limit, so that a device or pipe without a size is bounded too.
    QByteArray data;
    if (file.size() <= kMaxImportFileSize) {
        while (data.size() <= kMaxImportFileSize) {
            const QByteArray piece = file.read(kReadPieceSize);
            if (piece.isEmpty())
                break;
            data += piece;
        }
    }
    file.close();
    if (data.size() < qsizetype(kImportHeaderSize) || data.size() > kMaxImportFileSize) {
        showFailure(this, kReadError);
        return;
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                              std::size_t(data.size()));

    const ImportFormat format = recognizeImport(bytes.first(kImportHeaderSize));
    switch (format) {
    case ImportFormat::SoundDiver:
    case ImportFormat::SoundDiverReversed:
        if (auto result = chooseSoundDiverPatch(this, bytes, format == ImportFormat::SoundDiverReversed))
            finishImport(*result);
        break;
    case ImportFormat::Line6EditPatch:
        ImportLine6EditFile(bytes, kLine6EditPatchType);
        break;
    case ImportFormat::Line6EditBundle:
        ImportLine6EditFile(bytes, kLine6EditBundleType);
        break;
    case ImportFormat::GuitarPort:
        ImportLine6GPortFile(bytes, path);
        break;
    case ImportFormat::Invalid:
        showFailure(this, kNotAPatchFile);
        break;
    }
}

void DFrame::finishImport(const ImportResult& result) {
    if (!result.ok()) {
        showFailure(this, result.failure);
        return;
    }
    std::copy(result.dump->begin(), result.dump->end(), sysEx.begin());
    UpdateAmplixFromSysex();
    repaint();
    if (SendSysexMessage(int(kSingleDumpSize)))
        CmFileRead();
}
