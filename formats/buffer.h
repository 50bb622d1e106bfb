#pragma once
// Memory for a whole picture or stream on the hot path: not cleared, straight from the
// system in huge pages where it is large, and kept by the thread after use, so that the
// next picture the thread reads finds its pages already there instead of faulting in
// fresh ones.

#include <cstdint>
#include <span>
#include <utility>

namespace varnox {

class PictureBuffer {
  public:
    PictureBuffer() = default;
    // size bytes of undefined content. Throws std::bad_alloc.
    explicit PictureBuffer(std::size_t size);
    ~PictureBuffer();
    PictureBuffer(const PictureBuffer&) = delete;
    PictureBuffer& operator=(const PictureBuffer&) = delete;
    PictureBuffer(PictureBuffer&& other) noexcept { Swap(other); }
    PictureBuffer& operator=(PictureBuffer&& other) noexcept
    {
        Swap(other);
        return *this;
    }

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::span<std::uint8_t> span() const { return {data_, size_}; }

  private:
    void Swap(PictureBuffer& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(mapped_, other.mapped_);
    }

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0; // bytes of the mapping, at least size_
};

} // namespace varnox
