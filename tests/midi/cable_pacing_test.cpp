// Pacing a SysEx at cable speed: where it is cut, when each piece goes, when the send returns.
#include "midi/CablePacing.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace amplix;
using Clock = CableClock::Clock;
using std::chrono::microseconds;

namespace {

std::vector<std::uint8_t> message(std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0x05);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// A clock that only moves when the sender sleeps, or when a test says the hand-over took time.
struct FakeTime {
    Clock::time_point now{Clock::time_point() + std::chrono::hours(1)};
    std::vector<Clock::time_point> sleptUntil;
    struct Handed {
        microseconds at;
        std::size_t size;
        std::uint8_t first, last;
    };
    std::vector<Handed> handed;
    microseconds handTakes{0};
    int refuseAt = -1; // the piece whose hand-over fails

    microseconds since(Clock::time_point start) const {
        return std::chrono::duration_cast<microseconds>(now - start);
    }
    int send(std::span<const std::uint8_t> bytes, std::size_t pieceSize, CableClock& cable) {
        const auto start = now;
        return sendPaced(
            bytes, pieceSize, cable, [&] { return now; },
            [&](Clock::time_point until) {
                EXPECT_GT(until, now) << "slept without need";
                sleptUntil.push_back(until);
                now = until;
            },
            [&](std::span<const std::uint8_t> piece) {
                if (int(handed.size()) == refuseAt)
                    return 1;
                handed.push_back({since(start), piece.size(), piece.front(), piece.back()});
                now += handTakes;
                return 0;
            });
    }
};

} // namespace

TEST(CablePacing, PiecesCoverTheMessageInOrderAndOnlyTheLastIsShort) {
    struct Case {
        std::size_t size, pieceSize;
        std::vector<std::size_t> pieces;
    };
    for (const Case& c : {Case{8, 256, {8}}, Case{256, 256, {256}}, Case{257, 256, {256, 1}},
                          Case{5121, 256, {256, 256, 256, 256, 256, 256, 256, 256, 256, 256, 256,
                                           256, 256, 256, 256, 256, 256, 256, 256, 256, 1}},
                          Case{5121, 0, {5121}}, Case{151, 0, {151}}, Case{0, 256, {}}}) {
        const auto bytes = message(c.size == 0 ? 2 : c.size);
        const std::span<const std::uint8_t> whole(bytes.data(), c.size);
        const auto pieces = cablePieces(whole, c.pieceSize);
        std::vector<std::size_t> sizes;
        for (const auto piece : pieces)
            sizes.push_back(piece.size());
        EXPECT_EQ(sizes, c.pieces) << c.size << " in pieces of " << c.pieceSize;
        for (std::size_t n = 1; n < pieces.size(); ++n)
            EXPECT_EQ(pieces[n].data(), pieces[n - 1].data() + pieces[n - 1].size());
    }
}

// The bank: 21 pieces, each handed on when the one before has left the cable, the first with
// F0 and the last with F7; the send returns when the last byte is due, 1.639 s after it began.
TEST(CablePacing, EachPieceWaitsForTheCableAndTheSendEndsWithTheLastByte) {
    FakeTime time;
    CableClock cable;
    const auto start = time.now;
    ASSERT_EQ(time.send(message(5121), kSysexPieceSize, cable), 0);
    ASSERT_EQ(time.handed.size(), 21u);
    for (std::size_t n = 0; n < time.handed.size(); ++n)
        EXPECT_EQ(time.handed[n].at, cableTime(256 * n)) << "piece " << n;
    EXPECT_EQ(time.handed.front().first, 0xF0);
    EXPECT_EQ(time.handed.back().last, 0xF7);
    EXPECT_EQ(time.handed.back().size, 1u);
    EXPECT_EQ(time.since(start), microseconds(1'638'720));
    EXPECT_EQ(cable.freeAt(), time.now);

    // A store straight after: it waits for nothing more and takes its own 152 bytes.
    const auto storeStart = time.now;
    ASSERT_EQ(time.send(message(152), kSysexPieceSize, cable), 0);
    EXPECT_EQ(time.handed.back().at, microseconds(0));
    EXPECT_EQ(time.since(storeStart), microseconds(48'640));
}

// Bytes still on the cable (a control change just sent) delay the first piece; a hand-over that
// itself takes time (a busy system) moves the rest later instead of squeezing them together.
TEST(CablePacing, WhatTheCableStillCarriesAndSlowHandOversPushThePiecesBack) {
    FakeTime time;
    CableClock cable;
    const auto start = time.now;
    cable.carry(3, start);
    time.handTakes = microseconds(5000);
    ASSERT_EQ(time.send(message(600), kSysexPieceSize, cable), 0);
    ASSERT_EQ(time.handed.size(), 3u);
    EXPECT_EQ(time.handed[0].at, cableTime(3));
    EXPECT_EQ(time.handed[1].at, cableTime(3 + 256));
    EXPECT_EQ(time.handed[2].at, cableTime(3 + 512));
    EXPECT_EQ(time.since(start), cableTime(603));

    // Handed on later than the cable needed: the cable counts from the actual hand-over.
    FakeTime late;
    CableClock idle;
    idle.carry(10, late.now - std::chrono::seconds(1));
    const auto lateStart = late.now;
    ASSERT_EQ(late.send(message(8), kSysexPieceSize, idle), 0);
    EXPECT_EQ(late.handed[0].at, microseconds(0));
    EXPECT_EQ(late.since(lateStart), cableTime(8));
}

// The same pace as a schedule, for an output that takes each piece with the time it is due: the
// pieces follow what the cable still carries, each due when the one before has left it, and the
// cable is busy until the last byte is over.
TEST(CablePacing, AScheduleHandsThePiecesOnAtTheCablesPace) {
    using Clock = CableClock::Clock;
    const Clock::time_point start{std::chrono::seconds(10)};
    CableClock cable;
    cable.carry(3, start);
    const std::vector<ScheduledPiece> pieces = cableSchedule(600, kSysexPieceSize, cable, start);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].offset, 0u);
    EXPECT_EQ(pieces[2].offset, 512u);
    EXPECT_EQ(pieces[2].size, 88u);
    EXPECT_EQ(pieces[0].at, start + cableTime(3));
    EXPECT_EQ(pieces[1].at, start + cableTime(3 + 256));
    EXPECT_EQ(pieces[2].at, start + cableTime(3 + 512));
    EXPECT_EQ(cable.freeAt(), start + cableTime(603));

    // Long after the cable went quiet, the first piece is due at once; 0 sends it whole.
    const Clock::time_point later = start + std::chrono::seconds(5);
    const std::vector<ScheduledPiece> whole = cableSchedule(5121, 0, cable, later);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].at, later);
    EXPECT_EQ(cable.freeAt(), later + cableTime(5121));
    EXPECT_TRUE(cableSchedule(0, kSysexPieceSize, cable, later).empty());
}

// A piece the system refuses stops the send at once: nothing after it goes, the result comes
// back, and the cable still counts what went before.
TEST(CablePacing, ARefusedPieceStopsTheSend) {
    FakeTime time;
    time.refuseAt = 2;
    CableClock cable;
    const auto start = time.now;
    EXPECT_EQ(time.send(message(5121), kSysexPieceSize, cable), 1);
    EXPECT_EQ(time.handed.size(), 2u);
    EXPECT_EQ(cable.freeAt(), start + cableTime(512));
}

// A transfer's progress: nothing before it begins, a byte every 320 µs, never more than all.
TEST(CablePacing, ProgressCountsTheBytesTheCableHasCarried) {
    const std::pair<microseconds, std::size_t> cases[] = {
        {microseconds(-5), 0},   {microseconds(0), 0},    {microseconds(319), 0}, {microseconds(320), 1},
        {cableTime(2560), 2560}, {cableTime(5121), 5121}, {cableTime(9000), 5121}};
    for (const auto& [elapsed, carried] : cases)
        EXPECT_EQ(bytesCarried(elapsed, 5121), carried) << elapsed.count();
}
