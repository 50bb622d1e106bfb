#include "formats/buffer.h"

#include <algorithm>
#include <array>
#include <new>
#include <sys/mman.h>

namespace varnox {

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;
// A thread keeps the mappings of its last picture (pixels and stream), none above this
// size: a 4096 x 4096 picture's pixels, so that an idle thread holds little.
constexpr std::size_t kLargestKept = 32 * 1024 * 1024;
// Smaller pictures, their streams and rows all take mappings of this one size, so that any
// kept one fits the next: a folder of small pictures of many sizes maps none afresh. Only
// the pages a picture touches become resident.
constexpr std::size_t kSmallMapping = 1024 * 1024;
constexpr std::size_t kSmallKept = 4; // a picture, its stream and a PNG's rows and stream

struct Mapping {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

void Unmap(Mapping& mapping)
{
    if (mapping.data != nullptr)
        ::munmap(mapping.data, mapping.size);
    mapping = {};
}

// The mappings a thread keeps; unmapped when the thread ends.
struct Kept {
    std::array<Mapping, 2> mappings{};
    std::array<Mapping, kSmallKept> small{};
    Kept() = default;
    Kept(const Kept&) = delete;
    Kept& operator=(const Kept&) = delete;
    ~Kept()
    {
        for (Mapping& mapping : mappings)
            Unmap(mapping);
        for (Mapping& mapping : small)
            Unmap(mapping);
    }
};

thread_local Kept gKept;

Mapping MapAnonymous(std::size_t mapped)
{
    void* memory = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    return {static_cast<std::uint8_t*>(memory), mapped};
}

// A small mapping kept by the thread, else a new one.
Mapping TakeSmallMapping()
{
    for (Mapping& mapping : gKept.small)
        if (mapping.data != nullptr)
            return std::exchange(mapping, Mapping{});
    return MapAnonymous(kSmallMapping);
}

// The smallest kept mapping of at least size bytes, taken from the keep; else a new one.
// Kept mappings too small for it are given back first, so that a larger picture never
// holds them beside its own.
Mapping TakeMapping(std::size_t size)
{
    if (size <= kSmallMapping)
        return TakeSmallMapping();
    Mapping* best = nullptr;
    for (Mapping& mapping : gKept.mappings)
        if (mapping.data != nullptr && mapping.size >= size && (best == nullptr || mapping.size < best->size))
            best = &mapping;
    if (best != nullptr)
        return std::exchange(*best, Mapping{});
    for (Mapping& mapping : gKept.mappings)
        if (mapping.data != nullptr && mapping.size < size)
            Unmap(mapping);
    // Whole huge pages, so that a kept mapping fits the next picture of about its size.
    const std::size_t mapped = size >= kHugePage ? (size + kHugePage - 1) / kHugePage * kHugePage : size;
    const Mapping mapping = MapAnonymous(mapped);
    // Huge pages spare a fault every 4 KiB; the kernel may ignore the advice.
    if (mapped >= kHugePage)
        ::madvise(mapping.data, mapped, MADV_HUGEPAGE);
    return mapping;
}

// Keeps the mapping for the thread's next picture in a free slot or in place of a smaller
// one, or gives it back.
void KeepMapping(Mapping mapping)
{
    if (mapping.size == kSmallMapping) {
        for (Mapping& kept : gKept.small)
            if (kept.data == nullptr) {
                kept = mapping;
                return;
            }
        Unmap(mapping);
        return;
    }
    if (mapping.size > kLargestKept) {
        Unmap(mapping);
        return;
    }
    Mapping* slot = &gKept.mappings[0];
    for (Mapping& kept : gKept.mappings)
        if (kept.size < slot->size)
            slot = &kept;
    if (slot->size > mapping.size) {
        Unmap(mapping);
        return;
    }
    Unmap(*slot);
    *slot = mapping;
}

} // namespace

PictureBuffer::PictureBuffer(std::size_t size) : size_(size)
{
    if (size_ == 0)
        return;
    const Mapping mapping = TakeMapping(size_);
    data_ = mapping.data;
    mapped_ = mapping.size;
}

PictureBuffer::~PictureBuffer()
{
    if (data_ != nullptr)
        KeepMapping({data_, mapped_});
}

} // namespace varnox
