#pragma once
// Whole-buffer inflation of zlib streams with libdeflate, giving exactly what zlib's
// inflate gives, or nothing where only zlib can say.

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace varnox {

// Zeroed memory for a whole picture, straight from the system and in huge pages where it
// is large, so that filling it costs few page faults. Throws std::bad_alloc.
class PictureBuffer {
  public:
    PictureBuffer() = default;
    explicit PictureBuffer(std::size_t size);
    ~PictureBuffer();
    PictureBuffer(const PictureBuffer&) = delete;
    PictureBuffer& operator=(const PictureBuffer&) = delete;
    PictureBuffer(PictureBuffer&& other) noexcept : data_(other.data_), size_(other.size_)
    {
        other.data_ = nullptr;
        other.size_ = 0;
    }
    PictureBuffer& operator=(PictureBuffer&& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::span<std::uint8_t> span() const { return {data_, size_}; }

  private:
    static constexpr std::size_t kHugePage = 2 * 1024 * 1024;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// True when zlib's inflate finds no fault in the stream's header and blocks up to the end
// of its last block: header fields, block types, stored lengths, code tables, and the
// symbols of fixed-code blocks. Never true for a stream zlib refuses there; false too for
// some it reads (incomplete codes), which are left to zlib. Distances are not checked.
bool ZlibAcceptsBlocks(std::span<const std::uint8_t> stream);

// Whether InflateWhole may check the blocks on a second thread while libdeflate inflates.
enum class InflateThreads { One, Two };

// Which library InflateWhole may use; zlib alone lets the tests compare both ways.
enum class Inflation { Libdeflate, ZlibOnly };
void SetInflation(Inflation inflation);

// Inflates the zlib stream into out. Returns the bytes produced when the stream ends
// within out and zlib would read it to the same bytes (same checksum, same blocks);
// nullopt when the stream is damaged, longer than out, or not vouched for by
// ZlibAcceptsBlocks: zlib must then decide. out's content is undefined after nullopt.
std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out,
                                        InflateThreads threads);

} // namespace varnox
