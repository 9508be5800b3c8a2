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

std::vector<ScheduledPiece> cableSchedule(std::size_t bytes, std::size_t pieceSize, CableClock& cable,
                                          CableClock::Clock::time_point now) {
    std::vector<ScheduledPiece> pieces;
    if (pieceSize == 0)
        pieceSize = bytes;
    for (std::size_t offset = 0; offset < bytes; offset += pieceSize) {
        const std::size_t size = std::min(pieceSize, bytes - offset);
        const auto at = std::max(now, cable.freeAt());
        pieces.push_back({offset, size, at});
        cable.carry(size, at);
    }
    return pieces;
}

} // namespace amplix
