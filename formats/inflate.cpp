#include "formats/inflate.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <system_error>
#include <thread>

namespace varnox {

namespace {

constexpr int kMaxCodeBits = 15;
constexpr int kTableBits = 11;
constexpr std::size_t kTableSize = std::size_t{1} << kTableBits;
constexpr std::size_t kTrailerBytes = 4; // the Adler-32 after the last block

constexpr std::array<std::uint8_t, 19> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Bits of a stream, first bit lowest. Past the end it reads zero bytes and counts them, so
// that a block leaning on bytes the stream does not have is found out.
class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> bytes)
        : start_(bytes.data()), at_(bytes.data()), end_(bytes.data() + bytes.size())
    {
    }

    // At least 56 bits in the buffer afterwards.
    void Refill()
    {
        if constexpr (std::endian::native == std::endian::little) {
            if (end_ - at_ >= 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, at_, 8);
                bits_ |= word << count_;
                at_ += (63 - count_) >> 3;
                count_ |= 56;
                return;
            }
        }
        while (count_ <= 56) {
            std::uint64_t byte = 0;
            if (at_ < end_)
                byte = *at_++;
            else
                ++padding_;
            bits_ |= byte << count_;
            count_ += 8;
        }
    }
    // True once bits past the end of the stream were taken.
    bool Overran() const { return padding_ * 8 > count_; }
    std::uint64_t Peek() const { return bits_; }
    void Drop(unsigned n)
    {
        bits_ >>= n;
        count_ -= n;
    }
    std::uint32_t Take(unsigned n)
    {
        const auto value = static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
        Drop(n);
        return value;
    }
    // Bytes of the stream taken, counting a started byte whole.
    std::size_t BytesTaken() const
    {
        const std::size_t bits = (static_cast<std::size_t>(at_ - start_) + padding_) * 8 - count_;
        return (bits + 7) / 8;
    }
    // Goes to the next byte boundary, then n bytes further; false past the end.
    bool SkipBytes(std::size_t n)
    {
        const std::size_t from = BytesTaken();
        if (from > Size() || n > Size() - from)
            return false;
        at_ = start_ + from + n;
        bits_ = 0;
        count_ = 0;
        padding_ = 0;
        return true;
    }
    std::size_t Size() const { return static_cast<std::size_t>(end_ - start_); }

  private:
    const std::uint8_t* start_;
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
    unsigned padding_ = 0;
};

// What a code's symbols mean: whether extra bits follow a code, which the table then takes
// with it.
enum class Alphabet { CodeLengths, Literals, Distances };

constexpr unsigned kInvalid = 0xFFFF; // a code zlib has no symbol for

unsigned ExtraBits(Alphabet alphabet, unsigned symbol)
{
    if (alphabet == Alphabet::Literals && symbol >= 257 && symbol <= 285)
        return kLengthExtra[symbol - 257];
    if (alphabet == Alphabet::Distances && symbol <= 29)
        return kDistanceExtra[symbol];
    return 0;
}

// A prefix code: a table of the next kTableBits bits (symbol << 8 | bits of the code and
// its extra bits; 0 for a longer code) and, for the longer codes, the canonical counts and
// symbols.
struct Code {
    std::array<std::uint32_t, kTableSize> table{};
    std::array<std::uint16_t, kMaxCodeBits + 1> count{};
    std::array<std::uint16_t, 288> symbols{};
    Alphabet alphabet = Alphabet::CodeLengths;

    // False when the lengths are over-subscribed, or incomplete where zlib refuses that:
    // always for the code-length code, else unless the longest code has one bit (one code
    // or none), whose missing codes then decode to kInvalid.
    bool Build(const std::uint8_t* lengths, std::size_t n, Alphabet kind)
    {
        alphabet = kind;
        count.fill(0);
        for (std::size_t s = 0; s < n; ++s)
            ++count[lengths[s]];
        count[0] = 0;
        int left = 1;
        for (std::size_t length = 1; length < count.size(); ++length) {
            left = 2 * left - count[length];
            if (left < 0)
                return false;
        }
        const bool partial = left != 0;
        const bool longerThanOneBit =
            std::any_of(count.begin() + 2, count.end(), [](std::uint16_t c) { return c != 0; });
        if (partial && (alphabet == Alphabet::CodeLengths || longerThanOneBit))
            return false;
        std::array<std::uint16_t, kMaxCodeBits + 2> offset{};
        for (std::size_t length = 1; length < count.size(); ++length)
            // cppcheck-suppress containerOutOfBounds ; both arrays have a slot for every length up to 15
            offset[length + 1] = static_cast<std::uint16_t>(offset[length] + count[length]);
        for (std::size_t s = 0; s < n; ++s)
            if (lengths[s] != 0)
                symbols[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
        table.fill(0);
        unsigned code = 0;
        std::size_t index = 0;
        for (unsigned length = 1; length <= kTableBits; ++length, code <<= 1) {
            for (unsigned k = 0; k < count[length]; ++k, ++code) {
                const unsigned symbol = symbols[index++];
                const std::uint32_t entry = symbol << 8 | (length + ExtraBits(alphabet, symbol));
                // The table is indexed by the code's bits as they come, first bit lowest.
                unsigned reversed = 0;
                for (unsigned b = 0; b < length; ++b)
                    reversed |= ((code >> b) & 1U) << (length - 1 - b);
                for (std::size_t at = reversed; at < kTableSize; at += std::size_t{1} << length)
                    table[at] = entry;
            }
        }
        if (partial)
            std::replace(table.begin(), table.end(), std::uint32_t{0}, std::uint32_t{kInvalid << 8});
        return true;
    }

    // The next symbol; takes its bits and, for lengths and distances, its extra bits.
    // Needs 28 bits in the reader.
    unsigned Decode(BitReader& bits) const
    {
        const std::uint64_t next = bits.Peek();
        if (const std::uint32_t entry = table[next & (kTableSize - 1)]; entry != 0) {
            bits.Drop(entry & 0xFFU);
            return entry >> 8;
        }
        // Canonical decoding, a bit at a time; the code is complete, so one length fits.
        int code = 0;
        int first = 0;
        int index = 0;
        for (unsigned length = 1; length <= kMaxCodeBits; ++length) {
            code |= static_cast<int>((next >> (length - 1)) & 1U);
            // cppcheck-suppress containerOutOfBounds ; both arrays have a slot for every length up to 15
            const int n = count[length];
            if (code - n < first) {
                const unsigned symbol = symbols[static_cast<std::size_t>(index + code - first)];
                bits.Drop(length + ExtraBits(alphabet, symbol));
                return symbol;
            }
            index += n;
            first = (first + n) << 1;
            code <<= 1;
        }
        return kInvalid; // unreachable: a code with long codes is complete
    }
};

// The symbols of one coded block up to its end code; false on a symbol zlib refuses or
// bits past the end. Up to 48 bits a step: code, length bits, code, distance bits.
bool CheckSymbols(BitReader& reader, const Code& literals, const Code& distances)
{
    // A copy the compiler can keep in registers: the tables' stores cannot touch it.
    BitReader bits = reader;
    for (;;) {
        bits.Refill();
        if (bits.Overran())
            return false;
        const unsigned symbol = literals.Decode(bits);
        if (symbol < 256)
            continue;
        if (symbol == 256) {
            reader = bits;
            return true;
        }
        if (symbol > 285 || distances.Decode(bits) > 29)
            return false;
    }
}

const std::pair<Code, Code>& FixedCodes()
{
    static const std::pair<Code, Code> codes = [] {
        std::array<std::uint8_t, 288> lengths{};
        std::fill(lengths.begin(), lengths.begin() + 144, std::uint8_t{8});
        std::fill(lengths.begin() + 144, lengths.begin() + 256, std::uint8_t{9});
        std::fill(lengths.begin() + 256, lengths.begin() + 280, std::uint8_t{7});
        std::fill(lengths.begin() + 280, lengths.end(), std::uint8_t{8});
        std::pair<Code, Code> built;
        built.first.Build(lengths.data(), 288, Alphabet::Literals);
        lengths.fill(5);
        built.second.Build(lengths.data(), 32, Alphabet::Distances);
        return built;
    }();
    return codes;
}

// Reads the code tables of a dynamic block into literals and distances, by zlib's rules.
bool ReadDynamicCodes(BitReader& bits, Code& literals, Code& distances)
{
    bits.Refill();
    const std::size_t literalCount = bits.Take(5) + 257;
    const std::size_t distanceCount = bits.Take(5) + 1;
    const std::size_t lengthCodes = bits.Take(4) + 4;
    if (literalCount > 286 || distanceCount > 30)
        return false;
    std::array<std::uint8_t, 19> codeLengths{};
    for (std::size_t k = 0; k < lengthCodes; ++k) {
        bits.Refill();
        codeLengths[kCodeLengthOrder[k]] = static_cast<std::uint8_t>(bits.Take(3));
    }
    Code lengthCode;
    if (!lengthCode.Build(codeLengths.data(), codeLengths.size(), Alphabet::CodeLengths))
        return false;
    std::array<std::uint8_t, 286 + 30> lengths{};
    const std::size_t total = literalCount + distanceCount;
    std::size_t have = 0;
    while (have < total) {
        bits.Refill();
        if (bits.Overran())
            return false;
        const unsigned symbol = lengthCode.Decode(bits);
        if (symbol < 16) {
            lengths[have++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeated = 0;
        std::size_t copies = 0;
        if (symbol == 16) {
            if (have == 0)
                return false;
            repeated = lengths[have - 1];
            copies = 3 + bits.Take(2);
        } else if (symbol == 17) {
            copies = 3 + bits.Take(3);
        } else {
            copies = 11 + bits.Take(7);
        }
        if (have + copies > total)
            return false;
        std::fill_n(lengths.begin() + static_cast<std::ptrdiff_t>(have), copies, repeated);
        have += copies;
    }
    if (lengths[256] == 0)
        return false;
    return literals.Build(lengths.data(), literalCount, Alphabet::Literals) &&
           distances.Build(lengths.data() + literalCount, distanceCount, Alphabet::Distances);
}

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

} // namespace

bool ZlibAcceptsBlocks(std::span<const std::uint8_t> stream)
{
    if (stream.size() < 2)
        return false;
    const unsigned method = stream[0];
    const unsigned flags = stream[1];
    if ((method << 8 | flags) % 31 != 0 || (method & 15U) != 8 || (method >> 4) + 8 > 15 ||
        (flags & 0x20U) != 0)
        return false;
    BitReader bits(stream.subspan(2));
    auto codes = std::make_unique<std::pair<Code, Code>>();
    for (bool last = false; !last;) {
        bits.Refill();
        if (bits.Overran())
            return false;
        last = bits.Take(1) == 1;
        const std::uint32_t type = bits.Take(2);
        if (type == 0) {
            // Stored: the lengths start at the next byte.
            if (!bits.SkipBytes(0))
                return false;
            bits.Refill();
            const std::uint32_t length = bits.Take(16);
            const std::uint32_t complement = bits.Take(16);
            if (bits.Overran() || length != (complement ^ 0xFFFFU) || !bits.SkipBytes(length))
                return false;
        } else if (type == 1) {
            if (!CheckSymbols(bits, FixedCodes().first, FixedCodes().second))
                return false;
        } else if (type == 2) {
            if (!ReadDynamicCodes(bits, codes->first, codes->second) ||
                !CheckSymbols(bits, codes->first, codes->second))
                return false;
        } else {
            return false;
        }
    }
    bits.Refill();
    return !bits.Overran() && bits.BytesTaken() + kTrailerBytes <= bits.Size();
}

namespace {

std::atomic<Inflation> gInflation{Inflation::Libdeflate};

} // namespace

void SetInflation(Inflation inflation)
{
    gInflation = inflation;
}

std::optional<std::size_t> InflateWhole(std::span<const std::uint8_t> stream, std::span<std::uint8_t> out,
                                        InflateThreads threads)
{
    if (gInflation == Inflation::ZlibOnly)
        return std::nullopt;
    const std::unique_ptr<libdeflate_decompressor, FreeDecompressor> inflater(
        libdeflate_alloc_decompressor());
    if (!inflater)
        return std::nullopt;
    std::uint8_t none = 0;
    bool blocksAccepted = false;
    std::size_t produced = 0;
    libdeflate_result result = LIBDEFLATE_BAD_DATA;
    {
        // The blocks are checked beside the inflation; the thread is joined at the brace.
        std::jthread check;
        if (threads == InflateThreads::Two) {
            try {
                check = std::jthread([&] { blocksAccepted = ZlibAcceptsBlocks(stream); });
            } catch (const std::system_error&) {
                threads = InflateThreads::One;
            }
        }
        result = libdeflate_zlib_decompress_ex(inflater.get(), stream.empty() ? &none : stream.data(),
                                               stream.size(), out.empty() ? &none : out.data(), out.size(),
                                               nullptr, &produced);
        if (threads == InflateThreads::One && result == LIBDEFLATE_SUCCESS)
            blocksAccepted = ZlibAcceptsBlocks(stream);
    }
    if (result != LIBDEFLATE_SUCCESS || !blocksAccepted)
        return std::nullopt;
    return produced;
}

PictureBuffer::PictureBuffer(std::size_t size) : size_(size)
{
    if (size_ == 0)
        return;
    void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    data_ = static_cast<std::uint8_t*>(memory);
    // Huge pages spare a fault every 4 KiB; the kernel may ignore the advice.
    if (size_ >= kHugePage)
        ::madvise(memory, size_, MADV_HUGEPAGE);
}

PictureBuffer::~PictureBuffer()
{
    if (data_ != nullptr)
        ::munmap(data_, size_);
}

} // namespace varnox
