#include "StreamWalk.h"

#include <cstring>

namespace tessaline {
namespace {

constexpr size_t kHeaderSize = 24;  // NextEntryOffset, StreamNameLength, StreamSize, AllocationSize
// What no stream name on a volume holds.
constexpr std::u16string_view kForbidden(u"\0:\\/", 4);
constexpr std::u16string_view kEncryptable = u":encryptable:$DATA";
constexpr std::u16string_view kDataSuffix = u":$DATA";

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t ReadI64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | p[i];
    return static_cast<int64_t>(v);
}

// ":" name ":$DATA" with a name a volume can hold. Any other name would address another
// stream or the file itself: "file::$DATA" is the file's own data, "a<NUL>b" reaches the
// platform as "a", and ":", "\" or "/" lead elsewhere. The default stream "::$DATA" has
// no name, so it is never listed.
bool IsStreamName(std::u16string_view record) {
    if (record.size() < 2 + kDataSuffix.size() || record[0] != u':' ||
        record.substr(record.size() - kDataSuffix.size()) != kDataSuffix)
        return false;
    const std::u16string_view name = record.substr(1, record.size() - 1 - kDataSuffix.size());
    return name.find_first_of(kForbidden) == std::u16string_view::npos;
}

}  // namespace

std::u16string ToDecimal(int64_t value) {
    char16_t digits[24];
    size_t n = 0;
    // Work on the magnitude as unsigned so INT64_MIN does not overflow.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::u16string text;
    text.reserve(n + 1);
    if (value < 0)
        text.push_back(u'-');
    while (n > 0)
        text.push_back(digits[--n]);
    return text;
}

std::u16string TrimBlanks(std::u16string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

std::vector<StreamEntry> WalkStreamRecords(const uint8_t* data, size_t length) {
    std::vector<StreamEntry> entries;
    if (data == nullptr)
        return entries;

    size_t offset = 0;
    for (;;) {
        if (length < kHeaderSize || offset > length - kHeaderSize)
            break;
        const uint8_t* record = data + offset;
        const uint32_t next = ReadU32(record);
        const uint32_t nameLength = ReadU32(record + 4);
        const size_t nameBytes = nameLength & ~1u;  // whole UTF-16 units only
        if (nameBytes > length - offset - kHeaderSize)
            break;

        std::u16string name(nameBytes / 2, u'\0');
        std::memcpy(&name[0], record + kHeaderSize, nameBytes);  // unaligned-safe, endianness as stored

        if (name != kEncryptable && IsStreamName(name)) {
            StreamEntry entry;
            entry.size = ReadI64(record + 8);
            entry.name = name.substr(1, name.size() - 1 - kDataSuffix.size());
            entry.display = entry.name + u" * " + ToDecimal(entry.size);
            entries.push_back(std::move(entry));
        }

        if (next == 0 || next < kHeaderSize + uint64_t(nameLength) || next > length - offset)
            break;
        offset += next;
    }
    return entries;
}

}  // namespace tessaline
