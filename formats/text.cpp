#include "formats/text.h"

#include <atomic>

namespace varnox {

namespace {

// The one global of the translation: written once at start, only read afterwards.
std::atomic<TranslateFunction> installed{nullptr};

} // namespace

void SetTranslateFunction(TranslateFunction translate)
{
    installed.store(translate, std::memory_order_release);
}

std::string Translate(const char* german)
{
    const TranslateFunction translate = installed.load(std::memory_order_acquire);
    return translate != nullptr ? translate(german) : std::string(german);
}

namespace {

std::string FillInValues(std::string_view pattern, const std::vector<std::string_view>& values)
{
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto number = static_cast<std::size_t>(next - '0');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && number <= values.size()) {
            text += values[number - 1];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

} // namespace

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    return FillInValues(pattern, std::vector<std::string_view>(args));
}

std::string FillIn(std::string_view pattern, const std::vector<std::string>& args)
{
    return FillInValues(pattern, std::vector<std::string_view>(args.begin(), args.end()));
}

std::string TranslateWith(const char* german, std::initializer_list<std::string_view> args)
{
    return FillIn(Translate(german), args);
}

} // namespace varnox
