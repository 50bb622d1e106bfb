#include "formats/rows.h"
#include "formats/rgb565.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>

namespace varnox {

void ConvertRow(RowFormat from, std::span<const std::uint8_t> in, RowFormat to, std::uint8_t* out)
{
    if (from == RowFormat::Rgb565) {
        if (to == RowFormat::Bgr24)
            WidenRowToBgr(in, out);
        else
            WidenRowToRgb(in, out);
    } else if (to == RowFormat::Rgb565) {
        NarrowRow(in, from == RowFormat::Bgr24, out);
    } else {
        // Bgr24 <-> Rgb24: swap the outer bytes of each pixel.
        for (std::size_t at = 0; at + 2 < in.size(); at += 3) {
            out[at] = in[at + 2];
            out[at + 1] = in[at + 1];
            out[at + 2] = in[at];
        }
    }
}

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;             // converted rows handed over at a time
constexpr std::size_t kPipelinedPictureBytes = 1024 * 1024; // smaller pictures stay on one thread

// Blocks of converted rows passed from the reading thread to the writing one; three
// blocks in all, so that one is filled while two wait or are written.
class Handover {
  public:
    explicit Handover(std::size_t blockBytes)
    {
        for (Bytes& block : blocks_) {
            block.resize(blockBytes);
            free_.push_back(&block);
        }
    }

    // A block to fill; nullptr once the writer has stopped.
    Bytes* TakeFree()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !free_.empty() || stopped_; });
        if (stopped_)
            return nullptr;
        Bytes* block = free_.front();
        free_.pop_front();
        return block;
    }
    void PutFull(Bytes* block, std::size_t used)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        full_.emplace_back(block, used);
        changed_.notify_all();
    }
    // The next block to write with its bytes used; nullptr once the reader is done and
    // every block is written.
    std::pair<Bytes*, std::size_t> TakeFull()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !full_.empty() || done_; });
        if (full_.empty())
            return {nullptr, 0};
        const auto next = full_.front();
        full_.pop_front();
        return next;
    }
    void PutFree(Bytes* block)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(block);
        changed_.notify_all();
    }
    // The reader hands over no more blocks.
    void Finish()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }
    // The writer failed: the reader stops.
    void Stop()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

  private:
    std::array<Bytes, 3> blocks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Bytes*> free_;
    std::deque<std::pair<Bytes*, std::size_t>> full_;
    bool done_ = false;
    bool stopped_ = false;
};

// Reads and converts rows on the calling thread while a second thread writes the rows
// before them. The first failure in row order is returned, as a copy on one thread would.
Status PipeRows(RowSource& source, RowSink& sink, const RowProgress& progress)
{
    const PictureInfo& info = source.Info();
    const RowFormat wanted = sink.Format();
    const std::size_t rowBytes = static_cast<std::size_t>(info.width) * BytesPerPixel(wanted);
    const std::size_t rowsPerBlock =
        std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(1, rowBytes));
    Handover handover(rowsPerBlock * rowBytes);
    Status written;
    Status read;
    {
        std::jthread writer([&] {
            for (auto [block, used] = handover.TakeFull(); block != nullptr;
                 std::tie(block, used) = handover.TakeFull()) {
                for (std::size_t at = 0; at < used && written; at += rowBytes)
                    written = sink.WriteRow(std::span<const std::uint8_t>(block->data() + at, rowBytes));
                if (!written) {
                    handover.Stop();
                    return;
                }
                handover.PutFree(block);
            }
        });
        Bytes row(wanted == info.format ? 0 : info.RowBytes());
        for (std::int32_t y = 0; y < info.height && read;) {
            Bytes* block = handover.TakeFree();
            if (block == nullptr)
                break;
            std::size_t used = 0;
            for (; used < block->size() && y < info.height; used += rowBytes) {
                const std::span<std::uint8_t> into(block->data() + used, rowBytes);
                if (wanted == info.format) {
                    read = source.ReadRow(into);
                } else if ((read = source.ReadRow(row))) {
                    ConvertRow(info.format, row, wanted, into.data());
                }
                if (!read)
                    break;
                ++y;
                if (progress && !progress(y)) {
                    read = Error{IoError::Cancelled, {}, {}, {}};
                    break;
                }
            }
            handover.PutFull(block, used);
        }
        handover.Finish();
    }
    if (!written)
        return written;
    return read;
}

} // namespace

Status CopyRows(RowSource& source, RowSink& sink, const RowProgress& progress)
{
    const PictureInfo& info = source.Info();
    if (auto status = sink.Start(info.width, info.height); !status)
        return status;
    if (info.RowBytes() * static_cast<std::size_t>(info.height) >= kPipelinedPictureBytes) {
        if (auto status = PipeRows(source, sink, progress); !status)
            return status;
        return sink.Finish();
    }
    const RowFormat wanted = sink.Format();
    Bytes row(info.RowBytes());
    Bytes converted(wanted == info.format ? 0 : static_cast<std::size_t>(info.width) * BytesPerPixel(wanted));
    for (std::int32_t y = 0; y < info.height; ++y) {
        if (auto status = source.ReadRow(row); !status)
            return status;
        if (wanted == info.format) {
            if (auto status = sink.WriteRow(row); !status)
                return status;
        } else {
            ConvertRow(info.format, row, wanted, converted.data());
            if (auto status = sink.WriteRow(converted); !status)
                return status;
        }
        if (progress && !progress(y + 1))
            return Error{IoError::Cancelled, {}, {}, {}};
    }
    return sink.Finish();
}

} // namespace varnox
