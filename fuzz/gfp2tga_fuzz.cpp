// GFP -> TGA of a fuzzed GFP: either a TGA of the picture's size is written, or the file
// is refused and an existing TGA stays byte for byte.

#include "fuzz/fuzz_support.h"
#include "jobs/convert.h"

#include <fstream>
#include <iterator>

namespace {

varnox::Bytes Slurp(const varnox::Path& path)
{
    std::ifstream in(path, std::ios::binary);
    return varnox::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    if (fuzz::ClaimsHugePicture(data, size))
        return 0;
    const Path gfp = fuzz::WriteInput("pic.gfp", data, size);
    const std::uint8_t old[] = {'o', 'l', 'd'};
    const Path tga = fuzz::WriteInput("pic.tga", old, sizeof old);
    const jobs::GfpToTgaResult result = jobs::ConvertGfpFiles({gfp.parent_path() / "pic.gfp"});
    Module1 module;
    jobs::StoreRecords(module, result.records);
    const Bytes written = Slurp(tga);
    if (result.refused.empty()) {
        const auto width = static_cast<std::size_t>(module.GfpPixelHeader.width());
        const auto height = static_cast<std::size_t>(module.GfpPixelHeader.height());
        fuzz::Check(written.size() == 18 + width * height * 3, "TGA holds header and every pixel");
    } else {
        fuzz::Check(written == Bytes(old, old + sizeof old), "refusal keeps the old TGA");
    }
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(gfp.parent_path()))
        files += entry.path().filename() == "pic.gfp" || entry.path().filename() == "pic.tga" ? 0 : 1;
    fuzz::Check(files == 0, "no temporary file is left behind");
    return 0;
}
