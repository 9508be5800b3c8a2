// Taking the simulator's saved files back, or refusing them with the reason.
#include "device/SimulatorMemory.h"

#include "app/UiTexts.h"
#include "device/FactoryPatches.h"
#include "import/FileFailure.h"
#include "import/PatchSource.h"

namespace amplix {
namespace {

// Why a file is not taken as the kind wanted; empty when it is.
std::string refusal(std::string_view name, const SavedFile& file, SourceKind wanted) {
    if (!file.bytes)
        return file.unreadable.empty() ? fillText(text::kFileNotFound, {name})
                                       : unreadableReason(name, file.unreadable);
    const PatchSource source = openPatchFile(*file.bytes);
    if (!source.ok())
        return fileFailureReason(name, *file.bytes, source);
    if (source.kind != wanted)
        return fillText(wanted == SourceKind::Bank ? text::kFileNotBank : text::kFileNotSinglePatch, {name});
    return {};
}

} // namespace

SimulatorRestore restoreSimulator(PodDevice& device, const SavedFile& bank, const SavedFile& editBuffer,
                                  const SavedNames& names) {
    SimulatorRestore restore;
    const std::string bankRefused = refusal(names.bank, bank, SourceKind::Bank);
    if (bankRefused.empty()) {
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            device.setPatch(n, readRecord(*bank.bytes, bankPatchOffset(n)));
        restore.bankTaken = true;
    } else {
        restore.notice = fillText(text::kStatusSimulatorFactory, {bankRefused});
    }

    const std::string editRefused = refusal(names.editBuffer, editBuffer, SourceKind::SinglePatch);
    if (editRefused.empty()) {
        device.setEditBuffer(readRecord(*editBuffer.bytes, kDumpDataOffset));
        restore.editBufferTaken = true;
    } else {
        device.setEditBuffer(device.patch(0));
        // Beside the factory patches the edit buffer's own file matters little.
        if (restore.bankTaken)
            restore.notice = fillText(text::kStatusSimulatorEditBuffer, {editRefused});
    }
    return restore;
}

PodDevice::Message resetSimulator(PodDevice& device) {
    const auto& factory = factoryPatches();
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        device.setPatch(n, factory[n]);
    return device.choosePatch(1);
}

} // namespace amplix
