#pragma once
// RES archive: header, directory and name table.

#include <array>
#include <cstdint>
#include <span>
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

// A field of the name table, kept without the zero bytes it ends in: most names are short,
// and an archive holds up to 32767 of them. Gives the whole field back byte for byte.
class ResNameField {
  public:
    ResNameField() = default;
    // Keeps the first kResNameSize bytes of field; the rest of the field reads as zero.
    explicit ResNameField(std::span<const std::uint8_t> field);
    // The field's byte at: zero past the bytes kept.
    std::uint8_t operator[](std::size_t at) const
    {
        return at < kept_.size() ? static_cast<std::uint8_t>(kept_[at]) : std::uint8_t{0};
    }
    // The whole field, the zero bytes it ends in included.
    std::array<std::uint8_t, kResNameSize> Whole() const;
    // The field up to the zero bytes it ends in.
    std::string_view Kept() const { return kept_; }
    bool operator==(const ResNameField&) const = default;

  private:
    std::string kept_;
};

struct ResItem {
    std::int32_t itemDataType = 0;
    std::int32_t itemDataOffset = 0;
    ResNameField itemName; // the raw field: Whole() gives it back, NUL and padding included
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
