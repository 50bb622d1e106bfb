// The floor of this machine for reading pictures: plain programs that do only the work a
// conversion cannot avoid, beside which the jobs' goals are set. GFP -> TGA: read the GFP
// whole, inflate its stream with libdeflate into memory reused from file to file, widen
// RGB565 to BGR24 through a 64K-entry table and write the TGA in 1 MiB pieces. Preview:
// the same inflation, then one averaging pass into a 256 x 256 box.

#include "bench/floor.h"
#include "formats/reduce.h"
#include "formats/rgb565.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox::bench {

namespace {

constexpr std::size_t kPiece = 1024 * 1024;

std::int32_t Le32At(const Bytes& bytes, std::size_t at)
{
    return at + 4 <= bytes.size() ? Le32(&bytes[at]) : -1;
}

} // namespace

FloorReader::FloorReader() : inflater_(libdeflate_alloc_decompressor()), table_(65536), piece_(kPiece)
{
    for (std::uint32_t v = 0; v < table_.size(); ++v) {
        const std::uint8_t in[2] = {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)};
        std::uint8_t bgr[3];
        WidenRowToBgr(in, bgr);
        table_[v] = std::uint32_t(bgr[0]) | std::uint32_t(bgr[1]) << 8 | std::uint32_t(bgr[2]) << 16;
    }
}

FloorReader::~FloorReader()
{
    libdeflate_free_decompressor(static_cast<libdeflate_decompressor*>(inflater_));
}

bool FloorReader::Inflate(const Path& gfp)
{
    const int fd = ::open(gfp.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    file_.resize(static_cast<std::size_t>(info.st_size));
    const bool read = ::pread(fd, file_.data(), file_.size(), 0) == static_cast<ssize_t>(file_.size());
    ::close(fd);
    width_ = Le32At(file_, 64);
    height_ = Le32At(file_, 68);
    const std::int32_t stored = Le32At(file_, 96);
    if (!read || width_ <= 0 || height_ <= 0 || stored < 8 || 140 + std::size_t(stored - 8) > file_.size())
        return false;
    pixels_.resize(std::size_t(width_) * std::size_t(height_) * 2);
    return libdeflate_zlib_decompress(static_cast<libdeflate_decompressor*>(inflater_), file_.data() + 140,
                                      std::size_t(stored - 8), pixels_.data(), pixels_.size(),
                                      nullptr) == LIBDEFLATE_SUCCESS;
}

bool FloorReader::WriteTga(const Path& tga)
{
    const int fd = ::open(tga.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::uint8_t header[18] = {};
    header[2] = 2;
    PutLe16(&header[12], static_cast<std::uint16_t>(width_));
    PutLe16(&header[14], static_cast<std::uint16_t>(height_));
    header[16] = 24;
    bool ok = ::write(fd, header, sizeof header) == static_cast<ssize_t>(sizeof header);
    const auto width = static_cast<std::size_t>(width_);
    std::size_t used = 0;
    // Bottom row first, as the TGA holds it.
    for (std::int32_t y = height_ - 1; ok && y >= 0; --y) {
        if (used + width * 3 > piece_.size()) {
            ok = ::write(fd, piece_.data(), used) == static_cast<ssize_t>(used);
            used = 0;
        }
        const std::uint8_t* in = pixels_.data() + std::size_t(y) * width * 2;
        std::uint8_t* out = piece_.data() + used;
        for (std::size_t x = 0; x < width; ++x, out += 3) {
            const std::uint32_t bgr = table_[std::size_t(in[2 * x]) | std::size_t(in[2 * x + 1]) << 8];
            out[0] = static_cast<std::uint8_t>(bgr);
            out[1] = static_cast<std::uint8_t>(bgr >> 8);
            out[2] = static_cast<std::uint8_t>(bgr >> 16);
        }
        used += width * 3;
    }
    ok = ok && ::write(fd, piece_.data(), used) == static_cast<ssize_t>(used);
    return ::close(fd) == 0 && ok;
}

bool FloorReader::Reduce(const Path& gfp, std::int32_t box)
{
    if (!Inflate(gfp))
        return false;
    BoxReducer reducer(box);
    if (!reducer.Start(width_, height_))
        return false;
    const auto width = static_cast<std::size_t>(width_);
    row_.resize(width * 3);
    for (std::int32_t y = 0; y < height_; ++y) {
        WidenRowToRgb(std::span<const std::uint8_t>(pixels_.data() + std::size_t(y) * width * 2, width * 2),
                      row_.data());
        if (!reducer.WriteRow(row_))
            return false;
    }
    return reducer.Finish().ok();
}

} // namespace varnox::bench
