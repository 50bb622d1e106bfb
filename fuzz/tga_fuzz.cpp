// The TGA reader on a fuzzed file: an accepted picture is always width x height x 2 bytes.

#include "formats/module1.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    const Path path = fuzz::WriteInput("input.tga", data, size);
    Module1 module;
    std::int64_t calls = 0;
    std::int32_t last = -1;
    const Result<Bytes> read = module.ReadTgaAsRgb565(path, [&](std::int32_t rowsDone) {
        ++calls;
        last = rowsDone;
        return true;
    });
    const TgaError error = read.ok() ? TgaError::None : CodeOf<TgaError>(read.status());
    const Bytes pixels = read.value_or(Bytes());
    if (error == TgaError::None) {
        const auto width = static_cast<std::size_t>(module.TgaHeader.width());
        const auto height = static_cast<std::size_t>(module.TgaHeader.height());
        fuzz::Check(pixels.size() == width * height * 2, "accepted picture has width x height pixels");
        // Told before each row, then once more at the end.
        fuzz::Check(last == module.TgaHeader.height() && calls == std::int64_t(height) + 1,
                    "the end is reported");
    } else {
        fuzz::Check(!read.ok(), "a refused file gives no pixels");
    }
    return 0;
}
