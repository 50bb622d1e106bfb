#include "formats/res.h"
#include "formats/text.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace varnox {

std::string ItemTypeLabel(std::int32_t code)
{
    const char* text = "unbekannt";
    switch (code) {
    case 14: text = "Grafik"; break;
    case 16: text = "Sound"; break;
    case 17: text = "Schrift"; break;
    case 40: text = "Sprite"; break;
    default: break;
    }
    return std::string(text) + "(" + std::to_string(code) + ")";
}

ResNameField::ResNameField(std::span<const std::uint8_t> field)
{
    field = field.first(std::min(field.size(), kResNameSize));
    std::size_t length = field.size();
    while (length > 0 && field[length - 1] == 0)
        --length;
    kept_.assign(reinterpret_cast<const char*>(field.data()), length);
}

std::array<std::uint8_t, kResNameSize> ResNameField::Whole() const
{
    std::array<std::uint8_t, kResNameSize> field{};
    std::copy(kept_.begin(), kept_.end(), field.begin());
    return field;
}

std::string_view ItemName(const ResItem& item)
{
    const std::string_view kept = item.itemName.Kept();
    return kept.substr(0, kept.find('\0'));
}

std::string Latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace varnox
