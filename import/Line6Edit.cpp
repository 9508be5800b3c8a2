// Reads the containers of Line 6 Edit files: which patches they hold and what they say about them.
#include "import/Line6Edit.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace amplix {

namespace {

constexpr std::string_view kFormTag = "FORM";
constexpr std::string_view kPatchFormType = "L6PA";
constexpr std::string_view kInformationTag = "UNFO";
constexpr std::size_t kTagSize = 4;

// Offsets from a patch's "FORM".
constexpr std::size_t kFormTypeOffset = 8;
constexpr std::size_t kHeaderLengthOffset = 19; // only the last byte of the header chunk's length counts
constexpr std::size_t kDeviceWordOffset = 24;
constexpr std::size_t kPatchNameOffset = 28; // 16-bit characters, the low byte second
constexpr std::size_t kPatchDataBase = 28;   // "PATC" lies at 28 + the header length
constexpr std::size_t kCharacterSize = 2;

constexpr std::size_t kMaxListedName = 32;
constexpr std::string_view kNoPatchName = "No Patch Name";
constexpr std::size_t kBundleScanStart = 12;
constexpr std::size_t kSkipAfterRefused = 500;
constexpr std::size_t kSkipAfterListed = 800;   // a patch is never shorter than this,
constexpr std::size_t kInformationSearch = 800; // so its information block lies further on

// The device word reads 00 00 d 00.
using DeviceWord = std::array<std::uint8_t, 4>;
constexpr std::size_t kDeviceCodeByte = 2;
constexpr std::array<int, 3> kAcceptedDevices = {2, 3, 4}; // the three first-generation devices

// The information block.
constexpr std::size_t kLengthSize = 4;
constexpr std::uint32_t kMinimumBlock = 5; // "UNFO" and at least one byte
constexpr std::size_t kPickupSelectorAt = 9;
constexpr std::size_t kPickupPositionAt = 12;
constexpr std::size_t kMaxPickupSelector = 2; // characters; its length counts at most 4 bytes
constexpr std::size_t kMaxComment = 299;
constexpr std::size_t kUnlimited = SIZE_MAX;
constexpr std::string_view kPickupLine = "Pickup:      ";
constexpr std::string_view kPickupSeparator = "/";

// Bytes left in the information block; a text may overrun it, so it can go below zero.
using Count = std::int64_t;

enum class TagAction { Text, PickupSelector, PickupPosition, Comment, Skip, Generation };

struct InformationTag {
    std::string_view tag;
    TagAction action;
    Line6EditText text;
    std::string_view prefix;
};

using T = Line6EditText;
constexpr InformationTag kInformationTags[] = {
    {"ISTL", TagAction::Text, T::Style, "Style:   "},
    {"IBND", TagAction::Text, T::Band, "Band:   "},
    {"IGTR", TagAction::Text, T::Guitarist, "Guitarist:  "},
    {"ISNG", TagAction::Text, T::Song, "Song:   "},
    {"IAUT", TagAction::Text, T::Author, "Author:  "},
    {"IAMP", TagAction::Text, T::Amp, "Amp:   "},
    {"IPUS", TagAction::PickupSelector, T::Pickup, ""},
    {"IPUP", TagAction::PickupPosition, T::Pickup, ""},
    {"ICMT", TagAction::Comment, T::Comment, ""},
    {"IDAT", TagAction::Skip, T::Comment, ""},
    {"IAPP", TagAction::Generation, T::Comment, ""},
    {"IAPV", TagAction::Generation, T::Comment, ""},
};

// What each text shows before the block has said anything, in Line6EditText order.
constexpr std::array<std::string_view, kLine6EditTextCount> kBlankTexts = {
    "Amp:", kPickupLine, "Style:", "Band:", "Song:", "Guitarist:", "Author:", "  ",
};

bool tagIs(std::span<const std::uint8_t> bytes, std::string_view tag) {
    return bytes.size() == tag.size() &&
           std::equal(bytes.begin(), bytes.end(), tag.begin(),
                      [](std::uint8_t a, char b) { return a == std::uint8_t(b); });
}

// "FORM", four length bytes and "L6PA": where a patch of a bundle begins.
bool isPatchHeader(std::span<const std::uint8_t> file, std::size_t form) {
    return form + kFormTypeOffset + kTagSize <= file.size() &&
           tagIs(file.subspan(form + kFormTypeOffset, kTagSize), kPatchFormType);
}

// 0 for a device this editor does not serve.
int acceptedDevice(const DeviceWord& word) {
    if (word[0] != 0 || word[1] != 0 || word[3] != 0)
        return 0;
    const int code = word[kDeviceCodeByte];
    return std::find(kAcceptedDevices.begin(), kAcceptedDevices.end(), code) != kAcceptedDevices.end() ? code
                                                                                                       : 0;
}

bool readDeviceWord(std::span<const std::uint8_t> file, std::size_t form, DeviceWord& word) {
    ByteReader in(file);
    return in.seek(form + kDeviceWordOffset) && in.read(word);
}

// The low bytes of the name's characters up to a 0 or the 32nd; a file that ends ends the name too.
std::string readPatchName(std::span<const std::uint8_t> file, std::size_t form) {
    std::string name;
    if (form + kPatchNameOffset <= file.size()) {
        const auto characters = file.subspan(form + kPatchNameOffset);
        for (std::size_t at = 0; name.size() < kMaxListedName && at + kCharacterSize <= characters.size() &&
                                 characters[at + 1] != 0;
             at += kCharacterSize)
            name.push_back(char(characters[at + 1]));
    }
    return name.empty() ? std::string(kNoPatchName) : name;
}

ImportEntry makeEntry(std::span<const std::uint8_t> file, std::size_t form, std::uint8_t headerLength,
                      int device) {
    ImportEntry entry;
    entry.name = readPatchName(file, form);
    entry.position = form + kPatchDataBase + headerLength;
    entry.deviceCode = device;
    entry.information = readLine6EditInformation(file, entry.position).texts;
    return entry;
}

// Moves on by count, or to the end when fewer bytes are left: the scan then finds nothing more.
void skipOrEnd(ByteReader& in, std::size_t count) {
    if (!in.skip(count))
        in.seek(in.size());
}

Line6EditListing listPatch(std::span<const std::uint8_t> file) {
    Line6EditListing listing;
    DeviceWord word{};
    if (!readDeviceWord(file, 0, word)) {
        listing.failure = kReadError;
        return listing;
    }
    const int device = acceptedDevice(word);
    if (device == 0) {
        listing.failure = kIncompatiblePatch;
        return listing;
    }
    // The device word lies beyond the header length, so that byte is always there.
    listing.entries.push_back(makeEntry(file, 0, file[kHeaderLengthOffset], device));
    return listing;
}

Line6EditListing listBundle(std::span<const std::uint8_t> file) {
    Line6EditListing listing;
    ByteReader in(file);
    in.seek(std::min(kBundleScanStart, file.size()));
    while (listing.entries.size() < kMaxImportEntries && in.find(kFormTag)) {
        const std::size_t form = in.position() - kFormTag.size();
        // The search goes on after the form type, whatever it is.
        if (!in.seek(form + kFormTypeOffset + kTagSize))
            break;
        if (!isPatchHeader(file, form))
            continue;
        DeviceWord word{};
        if (!readDeviceWord(file, form, word))
            break; // the file ends inside this patch's header
        const int device = acceptedDevice(word);
        in.seek(form + kDeviceWordOffset + word.size());
        if (device == 0) {
            skipOrEnd(in, kSkipAfterRefused);
            continue;
        }
        listing.entries.push_back(makeEntry(file, form, file[form + kHeaderLengthOffset], device));
        in.seek(std::min(listing.entries.back().position, file.size()));
        skipOrEnd(in, kSkipAfterListed);
    }
    return listing;
}

// A text of length bytes in 16-bit characters (an odd last byte still takes a whole one), of
// which the low bytes of the first keep characters are appended to text. A file that ends
// inside the text ends it after the last whole character.
void readText(ByteReader& in, std::size_t length, Count& remaining, std::size_t keep, bool& ended,
              std::string& text) {
    const std::size_t characters = (length + 1) / kCharacterSize;
    const std::size_t whole = std::min(characters, in.remaining() / kCharacterSize);
    const auto bytes = in.bytes().subspan(in.position(), whole * kCharacterSize);
    const std::size_t start = text.size();
    text.resize(start + std::min(whole, keep));
    for (std::size_t k = start; k < text.size(); ++k)
        text[k] = char(bytes[(k - start) * kCharacterSize + 1]);
    in.skip(bytes.size());
    remaining -= Count(bytes.size());
    if (whole < characters)
        ended = true;
}

// A text shows up to its first NUL, as the label it lands in would.
void cutAtNul(std::string& text) {
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos)
        text.erase(nul);
}

} // namespace

Line6EditInformation readLine6EditInformation(std::span<const std::uint8_t> file, std::size_t patchPosition) {
    Line6EditInformation information;
    std::vector<std::string> texts(kBlankTexts.begin(), kBlankTexts.end());

    // The block must come before the next patch of a bundle; a patch without one of its own
    // must not show the next patch's texts or take its generation, and keeps the blank texts.
    ByteReader in(file);
    if (!in.seek(patchPosition + kInformationSearch)) {
        information.texts = std::move(texts);
        return information;
    }
    // The first "UNFO" is this patch's own unless the next patch begins before it. Only a patch
    // header says so ("FORM", its length, "L6PA"): "FORM" alone is any IFF chunk's id, and four
    // bytes a patch's own modules or padding may hold.
    const std::size_t searchFrom = in.position();
    if (!in.find(kInformationTag)) {
        information.texts = std::move(texts);
        return information;
    }
    const std::size_t blockTag = in.position() - kInformationTag.size();
    ByteReader before(file.first(blockTag));
    before.seek(searchFrom);
    while (before.find(kFormTag))
        if (isPatchHeader(file, before.position() - kFormTag.size())) {
            information.texts = std::move(texts);
            return information;
        }

    std::uint32_t blockLength = 0;
    in.seek(blockTag - kLengthSize);
    in.readBig32(blockLength);
    if (blockLength < kMinimumBlock) {
        information.texts.clear();
        return information;
    }
    in.skip(kInformationTag.size());

    std::string pickup(kPickupLine);
    Count remaining = Count(blockLength) - Count(kInformationTag.size());
    bool ended = false;
    while (remaining > 0 && !ended) {
        // The tag and the length are looked at where they lie.
        const auto tag = in.bytes().subspan(in.position(), std::min(kTagSize, in.remaining()));
        if (!in.skip(kTagSize))
            break;
        remaining -= Count(kTagSize);
        const auto row = std::find_if(std::begin(kInformationTags), std::end(kInformationTags),
                                      [&](const InformationTag& t) { return tagIs(tag, t.tag); });
        if (row == std::end(kInformationTags))
            continue; // an unknown tag: the scan goes on with the next four bytes
        const auto lengthBytes = in.bytes().subspan(in.position(), std::min(kLengthSize, in.remaining()));
        if (!in.skip(kLengthSize))
            break;
        remaining -= Count(kLengthSize);
        const std::size_t lastByte = lengthBytes[3];
        std::string& text = texts[std::size_t(row->text)];
        switch (row->action) {
        case TagAction::Text:
            text.assign(row->prefix);
            readText(in, lastByte, remaining, kUnlimited, ended, text);
            break;
        case TagAction::PickupSelector: {
            // Its length may claim more than two characters: they are read past so that the
            // next tag is found where the block puts it.
            std::string selector;
            readText(in, lastByte, remaining, kMaxPickupSelector, ended, selector);
            if (lastByte != 0)
                pickup.replace(kPickupSelectorAt, selector.size() + kPickupSeparator.size(),
                               selector + std::string(kPickupSeparator));
            break;
        }
        case TagAction::PickupPosition: {
            std::string position;
            readText(in, lastByte, remaining, kUnlimited, ended, position);
            if (lastByte != 0)
                pickup = pickup.substr(0, kPickupPositionAt) + position;
            break;
        }
        case TagAction::Comment: {
            const std::size_t length = std::size_t(lengthBytes[2]) << 8 | lastByte;
            std::string comment;
            readText(in, length, remaining, kMaxComment, ended, comment);
            if (!comment.empty())
                text = std::move(comment);
            break;
        }
        case TagAction::Generation:
            information.generation = kLine6EditNewer;
            [[fallthrough]];
        case TagAction::Skip:
            ended = !in.skip(lastByte);
            remaining -= Count(lastByte);
            break;
        }
    }
    texts[std::size_t(Line6EditText::Pickup)] = std::move(pickup);
    for (std::string& text : texts)
        cutAtNul(text);
    information.texts = std::move(texts);
    return information;
}

Line6EditListing listLine6EditFile(std::span<const std::uint8_t> file, int patchType) {
    return patchType == kLine6EditPatchType ? listPatch(file) : listBundle(file);
}

} // namespace amplix
