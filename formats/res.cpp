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

std::string_view ItemName(const ResItem& item)
{
    const auto* begin = reinterpret_cast<const char*>(item.itemName.data());
    const void* nul = std::memchr(begin, 0, item.itemName.size());
    const std::size_t length = nul != nullptr
                                   ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin)
                                   : item.itemName.size();
    return {begin, length};
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
