#include "formats/gfp_inflate.h"
#include "formats/gfp.h"

#include <algorithm>
#include <cmath>
#include <libdeflate.h>
#include <memory>

namespace varnox {

namespace {

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

} // namespace

std::int64_t ZlibBufferSize(std::int64_t n)
{
    const double size = static_cast<double>(n) + static_cast<double>(n) * 0.01 + 12.0;
    return static_cast<std::int64_t>(std::nearbyint(size)); // default rounding: half to even
}

std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out)
{
    thread_local const std::unique_ptr<libdeflate_decompressor, FreeDecompressor> inflater(
        libdeflate_alloc_decompressor());
    if (!inflater)
        return std::nullopt;
    std::uint8_t none = 0;
    std::size_t produced = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(inflater.get(), stream.empty() ? &none : stream.data(), stream.size(),
                                      out.empty() ? &none : out.data(), out.size(), nullptr, &produced);
    if (result != LIBDEFLATE_SUCCESS)
        return std::nullopt;
    return produced;
}

StreamInflater::StreamInflater(InputFile& file, std::int64_t length) : file_(&file), streamLength_(length)
{
    piece_.resize(static_cast<std::size_t>(std::min<std::int64_t>(length, kStreamPiece)));
}

StreamInflater::StreamInflater(std::span<const std::uint8_t> stream)
    : held_(stream), streamLength_(static_cast<std::int64_t>(stream.size()))
{
}

StreamInflater::~StreamInflater()
{
    if (ready_)
        inflateEnd(&z_);
}

bool StreamInflater::Start()
{
    ready_ = inflateInit(&z_) == Z_OK;
    return ready_;
}

std::size_t StreamInflater::Fill(std::span<std::uint8_t> out)
{
    z_.next_out = out.data();
    z_.avail_out = static_cast<uInt>(out.size());
    while (code_ == Z_OK && z_.avail_out > 0) {
        if (z_.avail_in == 0 && streamRead_ < streamLength_)
            Refill();
        code_ = inflate(&z_, Z_NO_FLUSH);
    }
    return out.size() - z_.avail_out;
}

void StreamInflater::Settle()
{
    z_.avail_out = 0;
    while (code_ == Z_OK) {
        if (z_.avail_in == 0 && streamRead_ < streamLength_)
            Refill();
        code_ = inflate(&z_, Z_NO_FLUSH);
    }
}

void StreamInflater::Finish(std::uint64_t bufferSize)
{
    Bytes scratch(static_cast<std::size_t>(std::min<std::uint64_t>(kRowChunk, bufferSize)));
    while (code_ == Z_OK && z_.total_out < bufferSize) {
        const auto window =
            static_cast<std::size_t>(std::min<std::uint64_t>(scratch.size(), bufferSize - z_.total_out));
        Fill(std::span<std::uint8_t>(scratch.data(), window));
    }
    Settle();
}

bool StreamInflater::Damaged(std::uint64_t bufferSize) const
{
    const int code = UncompressCode(bufferSize);
    return code != Z_OK && code != Z_BUF_ERROR;
}

int StreamInflater::UncompressCode(std::uint64_t bufferSize) const
{
    if (code_ == Z_STREAM_END)
        return Z_OK;
    if (code_ == Z_NEED_DICT || (code_ == Z_BUF_ERROR && z_.total_out < bufferSize))
        return Z_DATA_ERROR;
    return code_;
}

void StreamInflater::Refill()
{
    const auto length =
        static_cast<std::size_t>(std::min<std::int64_t>(streamLength_ - streamRead_, kStreamPiece));
    if (file_ == nullptr) {
        z_.next_in = const_cast<Bytef*>(held_.data() + streamRead_); // zlib does not write through it
    } else {
        const std::span<std::uint8_t> into(piece_.data(), length);
        const std::size_t got = file_->ReadSomeAt(kGfpStreamAt + streamRead_, into);
        std::fill(into.begin() + static_cast<std::ptrdiff_t>(got), into.end(), std::uint8_t{0});
        z_.next_in = piece_.data();
    }
    streamRead_ += static_cast<std::int64_t>(length);
    z_.avail_in = static_cast<uInt>(length);
}

int UncompressBlock(Bytes& data, std::int32_t rawSize, std::size_t& produced)
{
    produced = 0;
    if (rawSize < 0)
        return Z_BUF_ERROR;
    const auto bufferSize = static_cast<std::size_t>(ZlibBufferSize(rawSize));
    Bytes out;
    try {
        out.resize(bufferSize);
    } catch (const std::bad_alloc&) {
        return Z_MEM_ERROR;
    }
    StreamInflater inflater(data);
    if (!inflater.Start())
        return Z_MEM_ERROR;
    inflater.Fill(out);
    inflater.Settle();
    produced = static_cast<std::size_t>(inflater.Produced());
    out.resize(static_cast<std::size_t>(rawSize));
    data = std::move(out);
    return inflater.UncompressCode(bufferSize);
}

int UncompressBlock(Bytes& data, std::int32_t rawSize)
{
    std::size_t produced = 0;
    return UncompressBlock(data, rawSize, produced);
}

} // namespace varnox
