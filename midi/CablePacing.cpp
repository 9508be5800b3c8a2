// Cutting a long SysEx into the pieces that go on the cable one after the other.
#include "midi/CablePacing.h"

namespace amplix {

std::vector<std::span<const std::uint8_t>> cablePieces(std::span<const std::uint8_t> message,
                                                       std::size_t pieceSize) {
    std::vector<std::span<const std::uint8_t>> pieces;
    if (pieceSize == 0)
        pieceSize = message.size();
    for (std::size_t at = 0; at < message.size(); at += pieceSize)
        pieces.push_back(message.subspan(at, std::min(pieceSize, message.size() - at)));
    return pieces;
}

} // namespace amplix
