#pragma once
// RES archive: header, directory and name table.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnox {

constexpr std::size_t kResHeaderSize = 12;
constexpr std::size_t kResEntrySize = 8;
constexpr std::size_t kResNameSize = 256;
constexpr std::int32_t kMaxResItems = 32767;
constexpr std::int32_t kItemTypePicture = 14;

struct ResHeaderRecord {
    std::int32_t itemCount = 0;
    std::int32_t dataOffset = 0;
    std::int32_t infoOffset = 0;
};

struct ResItem {
    std::int32_t itemDataType = 0;
    std::int32_t itemDataOffset = 0;
    std::array<std::uint8_t, kResNameSize> itemName{}; // raw field, NUL and padding included
};

enum class ResError {
    None,
    CannotOpen,
    NotRes,
    HeaderTruncated,
    InfoOffsetOverflow,
    ItemCountRange,
    DataOffsetNegative,
    DirectoryPastEnd,
    NamesPastEnd,
    ReadFailed,
};

// Display label of a type code: "Grafik(14)", "unbekannt(-1)".
std::string ItemTypeLabel(std::int32_t code);

// The item's name: its field cut before the first NUL; the whole field when it holds none.
// The bytes are Latin-1, one character per byte.
std::string_view ItemName(const ResItem& item);

// Latin-1 text as UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

} // namespace varnox
