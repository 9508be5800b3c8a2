// Fuzz target: the bounded reader every importer walks files with, against a plain model of it.
#include "fuzz/FuzzCheck.h"
#include "import/ImportCommon.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace amplix;

namespace {

// What the reader promises, written the slow and obvious way.
struct Model {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;

    std::optional<std::vector<std::uint8_t>> take(std::size_t n) {
        if (position > bytes.size() || n > bytes.size() - position)
            return std::nullopt;
        std::vector<std::uint8_t> out(bytes.begin() + std::ptrdiff_t(position),
                                      bytes.begin() + std::ptrdiff_t(position + n));
        position += n;
        return out;
    }
    std::optional<std::size_t> find(const std::string& tag) const {
        if (tag.empty())
            return std::nullopt;
        for (std::size_t at = position; at + tag.size() <= bytes.size(); ++at)
            if (std::equal(tag.begin(), tag.end(), bytes.begin() + std::ptrdiff_t(at),
                           [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }))
                return at + tag.size();
        return std::nullopt;
    }
};

// Input: two bytes give how many of the last bytes are the file; the bytes before them are
// operations, each an operation byte and its arguments.
class Operations {
public:
    explicit Operations(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool more() const { return at_ < bytes_.size(); }
    std::uint8_t byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
    std::size_t word() { return std::size_t(byte()) << 8 | byte(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t fileSize = std::min(size - 2, std::size_t(data[0]) << 8 | data[1]);
    const std::span<const std::uint8_t> file(data + size - fileSize, fileSize);
    Operations ops(std::span(data + 2, size - 2 - fileSize));

    ByteReader reader(file);
    Model model{file};
    while (ops.more()) {
        const std::uint8_t op = ops.byte();
        switch (op % 8) {
        case 0: {
            const std::size_t to = op & 0x80 ? ops.word() : std::size_t(-1) - ops.byte();
            const bool ok = reader.seek(to);
            FUZZ_CHECK(ok == (to <= file.size()));
            if (ok)
                model.position = to;
            break;
        }
        case 1: {
            const std::size_t n = op & 0x80 ? ops.word() : std::size_t(-1) - ops.byte();
            const bool ok = reader.skip(n);
            FUZZ_CHECK(ok == model.take(n).has_value());
            break;
        }
        case 2: {
            std::uint8_t b = 0;
            const auto expected = model.take(1);
            FUZZ_CHECK(reader.read(b) == expected.has_value() && (!expected || b == (*expected)[0]));
            break;
        }
        case 3: {
            std::vector<std::uint8_t> out(ops.byte(), 0xEE);
            const auto expected = model.take(out.size());
            const bool ok = reader.read(out);
            FUZZ_CHECK(ok == expected.has_value() && (!ok || out == *expected));
            if (!ok)
                FUZZ_CHECK(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0xEE; }));
            break;
        }
        case 4:
        case 5: {
            std::uint32_t value = 0;
            const auto expected = model.take(4);
            const bool ok = op % 8 == 4 ? reader.readBig32(value) : reader.readLittle32(value);
            FUZZ_CHECK(ok == expected.has_value());
            if (ok) {
                const auto& b = *expected;
                const std::uint32_t big = std::uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
                const std::uint32_t little = std::uint32_t(b[3]) << 24 | b[2] << 16 | b[1] << 8 | b[0];
                FUZZ_CHECK(value == (op % 8 == 4 ? big : little));
            }
            break;
        }
        case 6: {
            std::uint16_t value = 0;
            const auto expected = model.take(2);
            const bool ok = reader.readBig16(value);
            FUZZ_CHECK(ok == expected.has_value() &&
                       (!ok || value == ((*expected)[0] << 8 | (*expected)[1])));
            break;
        }
        case 7: {
            std::string tag(op >> 5, '\0'); // 0 to 7 bytes
            for (char& c : tag)
                c = char(ops.byte());
            const auto expected = model.find(tag);
            const std::size_t before = reader.position();
            const bool found = reader.find(tag);
            FUZZ_CHECK(found == expected.has_value());
            if (found)
                model.position = *expected;
            else // a failed search leaves the reader where it was or at the end
                FUZZ_CHECK(reader.position() == before || reader.position() == file.size());
            if (!found)
                model.position = reader.position();
            break;
        }
        }
        FUZZ_CHECK(reader.position() == model.position && reader.position() <= file.size());
        FUZZ_CHECK(reader.remaining() == file.size() - reader.position());
        FUZZ_CHECK(reader.atEnd() == (reader.position() == file.size()));
    }
    return 0;
}
