// Writes the seed corpora of the fuzz targets: small valid files of each kind, made here.
// Usage: varnox-make-seeds FOLDER  (a folder for each fuzz target)

#include "formats/bytes.h"
#include "formats/manifest.h"
#include "tests/support/builders.h"
#include "tests/support/png_builder.h"

#include <cstdio>
#include <filesystem>

namespace {

using namespace varnox;

Bytes Tga(std::uint8_t type, std::uint8_t depth, std::int16_t width, std::int16_t height,
          std::uint8_t descriptor, const Bytes& body, std::uint8_t idLength = 0)
{
    Bytes header(18, 0);
    header[0] = idLength;
    header[2] = type;
    PutLe16(&header[12], static_cast<std::uint16_t>(width));
    PutLe16(&header[14], static_cast<std::uint16_t>(height));
    header[16] = depth;
    header[17] = descriptor;
    return test::Concat({header, Bytes(idLength, 'i'), body});
}

// Replace: the item's index and the choice of picture before the archive.
void WriteReplaceSeeds(const std::filesystem::path& root, const Bytes& compressed, const Bytes& raw,
                       const Bytes& archive)
{
    test::ResBuilder between;
    between.Data(Bytes(5, 9));
    between.Item(14, "a", test::Concat({compressed, Bytes(30, 0)}));
    between.Directory();
    between.Item(16, std::string("s\0junk", 6), Bytes(6, 3)).Item(14, "b", raw);
    const Bytes laidOut = between.Build();
    const struct {
        const char* name;
        Bytes prefix;
        const Bytes& archive;
    } replaceSeeds[] = {{"small-in-place", {0, 0}, archive},
                        {"large-at-end", {2, 2}, archive},
                        {"tga", {0, 1}, archive},
                        {"between", {0, 2}, laidOut},
                        {"not-a-picture", {1, 0}, laidOut}};
    for (const auto& seed : replaceSeeds)
        test::WriteBytes(root / "replace" / seed.name, test::Concat({seed.prefix, seed.archive}));
}

void WriteManifestSeeds(const std::filesystem::path& root)
{
    Manifest manifest;
    manifest.afterHeader = {3, {1, 0, 2}};
    manifest.directoryAt = 1;
    manifest.items = {{14, "bild.gfp", std::nullopt, {4, {}}},
                      {16, "klang.sound", NameField{'k', 0, 'x'}, {}}};
    manifest.status = "exakt";
    const std::string written = WriteManifest(manifest);
    const std::string hand =
        "varnox-archiv 1\r\neintrag -3 \"a \\\"b\\x41\" füllung hex:00ff name \"\xC3\xA4\"\r\n"
        "verzeichnis füllung 2\r\nnicht exakt: #0\r\n";
    test::WriteBytes(root / "manifest" / "written", Bytes(written.begin(), written.end()));
    test::WriteBytes(root / "manifest" / "by-hand", Bytes(hand.begin(), hand.end()));
}

void WriteTgaSeeds(const std::filesystem::path& root)
{
    const Bytes pixels24 = test::PatternPixels(3, 2, 3);
    const Bytes pixels32 = test::PatternPixels(2, 2, 4);
    // RLE: a run packet of 3 pixels and a raw packet of 3, for a 3 x 2 picture.
    const Bytes rle = {0x82, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    test::WriteBytes(root / "tga" / "plain24", Tga(2, 24, 3, 2, 0, pixels24));
    test::WriteBytes(root / "tga" / "top32", Tga(2, 32, 2, 2, 0x28, pixels32));
    test::WriteBytes(root / "tga" / "rle24", Tga(10, 24, 3, 2, 0, rle));
    test::WriteBytes(root / "tga" / "id24", Tga(2, 24, 3, 2, 0x10, pixels24, 5));
    test::WriteBytes(root / "tga" / "rgb16", Tga(2, 16, 2, 1, 0, {0x1F, 0x7C, 0xE0, 0x03}));
    // Colour-mapped: raw and run-length 3 x 2 pictures over maps of 24 and 16 bits.
    test::WriteBytes(root / "tga_mapped" / "raw24",
                     test::Concat({{0, 2, 0, 2, 3, 2, 0}, Bytes(9, 0x40), {0, 1, 2, 2, 1, 0}}));
    test::WriteBytes(root / "tga_mapped" / "rle16",
                     test::Concat({{1, 1, 4, 3, 3, 2, 0x20}, Bytes(8, 0x11), {0x82, 5, 0x02, 4, 6, 7}}));
}

void WritePngSeeds(const std::filesystem::path& root)
{
    auto samples = [](std::size_t count, std::uint16_t limit) {
        std::vector<std::uint16_t> values(count);
        for (std::size_t i = 0; i < count; ++i)
            values[i] = static_cast<std::uint16_t>((i * 37 + 11) % limit);
        return values;
    };
    test::WriteBytes(root / "png" / "rgb8", test::MakePng({4, 3, test::kRgb, 8, false, samples(36, 256)}));
    test::WriteBytes(root / "png" / "rgba16",
                     test::MakePng({2, 2, test::kRgba, 16, false, samples(16, 65535)}));
    test::WriteBytes(root / "png" / "grey2-interlaced",
                     test::MakePng({9, 9, test::kGrey, 2, true, samples(81, 4)}));
    test::WriteBytes(
        root / "png" / "palette-trns",
        test::MakePng(
            {5, 2, test::kPalette, 4, false, samples(10, 3), {1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 128}}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: varnox-make-seeds ORDNER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root(argv[1]);
    for (const char* kind :
         {"res", "gfp", "unpack", "tga", "tga_mapped", "gfp2tga", "png", "manifest", "replace"})
        fs::create_directories(root / kind);

    const Bytes compressed = test::MakeGfp({.width = 4, .height = 3, .filler = 5});
    const Bytes raw = test::MakeGfp({.width = 3, .height = 2, .compressed = false});
    const Bytes wide = test::MakeGfp({.width = 2, .height = 2, .bitsPerPixel = 24});
    const Bytes narrow = test::MakeGfp({.width = 5, .height = 1, .bitsPerPixel = 8});
    const Bytes archive = test::MakeRes({{14, "eins", compressed},
                                         {16, "klang", Bytes(10, 1)},
                                         {14, "zwei", raw},
                                         {40, "figur", Bytes(4, 2)}});
    const Bytes dataFirst =
        test::MakeRes({{14, "bild", wide}, {17, "schrift", {}}}, {.directoryFirst = false});

    const struct {
        const char* kind;
        const char* name;
        const Bytes& bytes;
    } seeds[] = {
        {"res", "archive", archive},
        {"res", "datafirst", dataFirst},
        {"unpack", "archive", archive},
        {"unpack", "datafirst", dataFirst},
        {"gfp", "compressed", compressed},
        {"gfp", "raw", raw},
        {"gfp", "wide", wide},
        {"gfp2tga", "compressed", compressed},
        {"gfp2tga", "raw", raw},
        {"gfp2tga", "wide", wide},
        {"gfp2tga", "narrow", narrow},
    };
    for (const auto& seed : seeds)
        test::WriteBytes(root / seed.kind / seed.name, seed.bytes);

    WriteReplaceSeeds(root, compressed, raw, archive);
    WriteManifestSeeds(root);
    WriteTgaSeeds(root);
    WritePngSeeds(root);
    return 0;
}
