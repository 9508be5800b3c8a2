// Decoding a patch record through the tone map.
#include "patch/PatchDecode.h"

#include <algorithm>

namespace amplix {

namespace {

// The rows a record sets, in record byte order (a stable order for rows sharing byte 48).
const std::vector<const ToneParameter*>& decodeOrder() {
    static const std::vector<const ToneParameter*> order = [] {
        std::vector<const ToneParameter*> rows;
        for (const ToneParameter& p : toneMap())
            if (p.record != RecordRule::None && p.record != RecordRule::EffectCode)
                rows.push_back(&p);
        std::stable_sort(rows.begin(), rows.end(), [](const ToneParameter* a, const ToneParameter* b) {
            return a->recordByte < b->recordByte;
        });
        return rows;
    }();
    return order;
}

} // namespace

DecodedPatch decodePatch(const PatchRecord& record) {
    DecodedPatch patch;
    for (std::size_t j = 0; j < kNameLength && record[kNameOffset + j] != 0; ++j)
        patch.name += char(record[kNameOffset + j]);
    patch.effectCode = recordField("EffectSel", record);
    const EffectLayout layout = layoutForEffectCode(patch.effectCode);
    for (const ToneParameter* p : decodeOrder()) {
        if (p->layout != EffectLayout::Any && p->layout != layout)
            continue; // the other effects' controls keep what they showed
        patch.controls.push_back({p, recordValue(*p, record)});
    }
    return patch;
}

DecodedPatch decodeSingleDump(std::span<const std::uint8_t> message) {
    return decodePatch(readRecord(message, kDumpDataOffset));
}

} // namespace amplix
