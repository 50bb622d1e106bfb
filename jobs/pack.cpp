#include "jobs/archive.h"
#include "jobs/archive_shared.h"
#include "jobs/items.h"

#include "formats/gfp_length.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "jobs/report.h"
#include "jobs/sidepicture.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace varnox::jobs {

namespace {

constexpr std::int64_t kTableEntrySize = kResEntrySize + kResNameSize;

// A GFP that zlib cannot read, as the game reads it, with the reason; a file that is no GFP
// at all is taken as raw bytes.
Status CheckPicture(InputFile& in, const Path& path)
{
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = in.ReadSomeAt(0, head);
    const Result<std::int64_t> length = MeasureGfp(std::span(head.data(), got), in.Size());
    if (!length)
        return {};
    if (auto status = CheckGfpPixels(in, 0, length.value()); !status)
        return OnFile(status.error(), path);
    return {};
}

// Gathers small pieces into writes of about a mebibyte.
class Gatherer {
  public:
    explicit Gatherer(AtomicFile& file) : file_(file) { buffer_.reserve(kChunk); }

    bool Append(std::span<const std::uint8_t> bytes)
    {
        if (buffer_.size() + bytes.size() > kChunk && !Flush())
            return false;
        if (bytes.size() >= kChunk)
            return file_.Write({bytes});
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        return true;
    }
    bool Append(const Fill& fill)
    {
        if (!fill.bytes.empty())
            return Append(std::span<const std::uint8_t>(fill.bytes));
        const Bytes zeros(static_cast<std::size_t>(std::min<std::int64_t>(fill.length, kChunk)), 0);
        for (std::int64_t left = fill.length; left > 0; left -= static_cast<std::int64_t>(zeros.size()))
            if (!Append(std::span<const std::uint8_t>(zeros.data(),
                                                      static_cast<std::size_t>(std::min<std::int64_t>(
                                                          left, static_cast<std::int64_t>(zeros.size()))))))
                return false;
        return true;
    }
    // Room for size bytes at the end of the buffer, to be read into directly.
    std::span<std::uint8_t> Reserve(std::size_t size)
    {
        if (buffer_.size() + size > kChunk && !Flush())
            return {};
        const std::size_t at = buffer_.size();
        buffer_.resize(at + size);
        return {buffer_.data() + at, size};
    }
    bool Flush()
    {
        const bool ok = buffer_.empty() || file_.Write({std::span<const std::uint8_t>(buffer_)});
        buffer_.clear();
        return ok;
    }

  private:
    AtomicFile& file_;
    Bytes buffer_;
};

// Why a file of the folder cannot be packed: only regular files are read, never what a link
// points to, nor a FIFO or a device.
JobError NotPackable(const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return JobError::LinkNotPacked;
    if (S_ISFIFO(st.st_mode))
        return JobError::FifoNotPacked;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return JobError::DeviceNotPacked;
    if (S_ISDIR(st.st_mode))
        return JobError::FolderNotPacked;
    return JobError::NotRegularFile;
}

// Opens name in folder for packing: a regular file, not reached through a link.
Status OpenPackFile(const Folder& folder, const Path& path, InputFile& in)
{
    if (in.OpenIn(folder, path.filename().string()))
        return {};
    struct stat st {};
    if (in.error() == std::errc::no_such_file_or_directory)
        return Because(path, JobError::FileMissing);
    if (::fstatat(folder.fd(), path.filename().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(st.st_mode))
        return Because(path, NotPackable(st));
    return Error{ResError::CannotOpen, path, in.error(), {}};
}

// Reads the manifest of the folder, refusing one larger than 64 MiB or damaged.
Status ReadManifestIn(const Folder& folder, const Path& path, Manifest& manifest)
{
    InputFile in;
    if (Status opened = OpenPackFile(folder, path / kManifestName, in); !opened)
        return opened;
    if (in.Size() > kMaxManifestSize)
        return Because(path / kManifestName, JobError::ManifestTooLarge);
    std::string text(static_cast<std::size_t>(in.Size()), '\0');
    if (!in.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())))
        return ReadFailed(path / kManifestName, in.error());
    const Status parsed = ParseManifest(text, manifest);
    if (parsed)
        return {};
    return Error{CodeOf<ManifestError>(parsed), path / kManifestName, {}, {}, {}, parsed.error().line};
}

// True when the archive would lie in folder or below it, where it could be one of its files.
bool LiesInside(const Path& archive, const Path& folder)
{
    std::error_code error;
    const Path inner = std::filesystem::weakly_canonical(std::filesystem::absolute(archive, error), error);
    const Path outer = std::filesystem::canonical(folder, error);
    if (error)
        return false;
    const auto [end, at] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return end == outer.end() && at != inner.end();
}

struct PackPlan {
    JobProgress* progress = nullptr;                     // counts the items laid down, and may cancel
    std::unordered_map<std::string, std::int64_t> sizes; // of every file named, as found
    std::vector<std::int64_t> offsets;                   // of each item's data
    std::vector<bool> laysData;                          // the first item naming its file
    std::int64_t directory = 0;
    Bytes tables;
    // GFP files laid down as the picture beside them, converted: the picture's name, and the
    // converted GFP while the few kept fit kConvertedKept (the others are converted again).
    struct Converted {
        std::string picture;
        Bytes gfp;
    };
    std::unordered_map<std::string, Converted> converted;
    std::unordered_map<std::string, std::uint32_t> crcs; // of the files as extract wrote them
    std::unordered_set<std::string> pictures;            // files a picture item names
    GfpPacking packing = GfpPacking::Zlib;
};

constexpr std::size_t kConvertedKept = 8 << 20;

// What ChooseSidePicture decides for each of the items, on as many threads as there are
// cores: each asks only of its own files, and a folder of pictures is mostly waiting on the
// system's calls. The answers are in the order of the items.
std::vector<Result<std::string>> ChooseAll(const Folder& folder, const Path& path, const Manifest& manifest,
                                           const std::vector<std::size_t>& items)
{
    std::vector<Result<std::string>> choices(items.size(), std::string());
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t k = next++; k < items.size(); k = next++)
            choices[k] = ChooseSidePicture(folder, path, manifest.items[items[k]], Label(items[k]));
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned w = 1; w < DefaultWorkers() && w < items.size(); ++w)
            helpers.emplace_back(work);
        work();
    }
    return choices;
}

// Takes, for each picture item's GFP with a PNG or TGA beside it, what ChooseSidePicture
// decides, and converts a changed picture to learn its size; one picture at a time.
Status ChoosePictures(const Folder& folder, const Path& path, const Manifest& manifest, PackPlan& plan)
{
    std::unordered_set<std::string> seen;
    std::vector<std::size_t> items;
    for (std::size_t i = 0; i < manifest.items.size(); ++i)
        if (manifest.items[i].type == kItemTypePicture && seen.insert(manifest.items[i].file).second)
            items.push_back(i);
    const std::vector<Result<std::string>> choices = ChooseAll(folder, path, manifest, items);
    std::size_t kept = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const ManifestItem& item = manifest.items[items[k]];
        const Result<std::string>& choice = choices[k];
        if (!choice)
            return choice.status();
        if (choice->empty())
            continue;
        ItemGfp gfp = ConvertSidePicture(folder, path, item.file, *choice, plan.packing);
        if (!gfp.status)
            return gfp.status;
        plan.sizes[item.file] = static_cast<std::int64_t>(gfp.gfp.size());
        PackPlan::Converted& converted = plan.converted[item.file];
        converted.picture = *choice;
        if (kept + gfp.gfp.size() <= kConvertedKept) {
            kept += gfp.gfp.size();
            converted.gfp = std::move(gfp.gfp);
        }
    }
    return {};
}

std::int64_t FillLength(const Fill& fill, const PackPlan& plan)
{
    return fill.file.empty() ? fill.length : plan.sizes.at(fill.file);
}

// The size of every file the manifest names, each checked to be a regular file of the folder.
Status MeasureFiles(const Folder& folder, const Path& path, const Manifest& manifest, PackPlan& plan)
{
    std::vector<std::string> names = {manifest.afterHeader.file, manifest.afterDirectory.file};
    for (const ManifestItem& item : manifest.items) {
        names.push_back(item.file);
        names.push_back(item.fill.file);
        if (item.crc)
            plan.crcs.emplace(item.file, *item.crc);
        if (item.type == kItemTypePicture)
            plan.pictures.insert(item.file);
    }
    for (const std::string& name : names) {
        if (name.empty() || plan.sizes.contains(name))
            continue;
        struct stat st {};
        if (::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT
                       ? Because(path / name, JobError::FileMissing)
                       : Error{ResError::CannotOpen, path / name, {errno, std::generic_category()}, {}};
        if (!S_ISREG(st.st_mode))
            return Because(path / name, NotPackable(st));
        plan.sizes.emplace(name, static_cast<std::int64_t>(st.st_size));
    }
    return {};
}

// Adds size to at unless the sum passes the archive's 32-bit offsets.
bool Advance(std::int64_t& at, std::int64_t size)
{
    if (size < 0 || size > INT32_MAX - at)
        return false;
    at += size;
    return true;
}

// Every offset and the directory with its name table, checked against the 32-bit limits
// before anything is read or written.
Status PlanPack(const Path& path, const Path& archive, const Manifest& manifest, PackPlan& plan)
{
    const std::size_t count = manifest.items.size();
    std::unordered_map<std::string, std::int64_t> laidAt;
    plan.offsets.resize(count);
    plan.laysData.resize(count);
    std::int64_t at = kResHeaderSize;
    bool fits = Advance(at, FillLength(manifest.afterHeader, plan));
    for (std::size_t i = 0; i <= count && fits; ++i) {
        if (i == std::min(manifest.directoryAt, count)) {
            plan.directory = at;
            fits = Advance(at, static_cast<std::int64_t>(count) * kTableEntrySize) &&
                   Advance(at, FillLength(manifest.afterDirectory, plan));
        }
        if (i == count || !fits)
            break;
        const ManifestItem& item = manifest.items[i];
        const auto [first, laid] = laidAt.try_emplace(item.file, at);
        plan.offsets[i] = first->second;
        plan.laysData[i] = laid;
        fits = !laid || (Advance(at, plan.sizes.at(item.file)) && Advance(at, FillLength(item.fill, plan)));
    }
    if (!fits)
        return Because(archive, JobError::PastOffsets);

    plan.tables.assign(count * static_cast<std::size_t>(kTableEntrySize), 0);
    for (std::size_t i = 0; i < count; ++i) {
        const ManifestItem& item = manifest.items[i];
        const auto field = item.nameField ? item.nameField : NameFieldFromFile(item.file, item.type);
        if (!field)
            return Because(path / item.file, JobError::NoNameField);
        PutLe32(plan.tables, i * kResEntrySize, item.type);
        PutLe32(plan.tables, i * kResEntrySize + 4, static_cast<std::int32_t>(plan.offsets[i]));
        std::copy(field->begin(), field->end(),
                  plan.tables.begin() +
                      static_cast<std::ptrdiff_t>(count * kResEntrySize + i * kResNameSize));
    }
    return {};
}

// Appends the file name of the folder, whose size was found to be size, a piece at a time,
// read through in; crc, when given, gets the CRC-32 of its bytes.
Status AppendFile(const Folder& folder, const Path& path, std::int64_t size, Gatherer& gather,
                  const AtomicFile& out, InputFile& in, std::uint32_t* crc = nullptr)
{
    if (Status opened = OpenPackFile(folder, path, in); !opened)
        return opened;
    if (in.Size() != size)
        return Because(path, JobError::ChangedWhilePacking);
    for (std::int64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kChunk));
        const std::span<std::uint8_t> room = gather.Reserve(n);
        if (room.size() != n)
            return WriteFailed(path, out.error());
        if (!in.ReadAt(at, room))
            return ReadFailed(path, in.error());
        if (crc != nullptr)
            *crc = Crc32(*crc, room);
        at += static_cast<std::int64_t>(n);
    }
    return {};
}

// Appends an item's file as it is. A picture's GFP whose bytes are not those extract wrote (by
// the manifest's CRC), being new or changed, must be one zlib reads; the others are taken
// byte for byte, as the archive had them.
Status AppendItemFile(const Folder& folder, const Path& path, const std::string& name, const PackPlan& plan,
                      Gatherer& gather, const AtomicFile& out)
{
    InputFile in;
    std::uint32_t crc = 0;
    if (Status appended = AppendFile(folder, path / name, plan.sizes.at(name), gather, out, in, &crc);
        !appended)
        return appended;
    const auto expected = plan.crcs.find(name);
    if (!plan.pictures.contains(name) || (expected != plan.crcs.end() && expected->second == crc))
        return {};
    return CheckPicture(in, path / name);
}

// Appends the GFP file converted from the picture beside it, as measured before.
Status AppendConverted(const Folder& folder, const Path& path, const std::string& file, PackPlan& plan,
                       Gatherer& gather, const AtomicFile& out)
{
    PackPlan::Converted& converted = plan.converted.at(file);
    if (converted.gfp.empty()) {
        ItemGfp gfp = ConvertSidePicture(folder, path, file, converted.picture, plan.packing);
        if (!gfp.status)
            return gfp.status;
        if (static_cast<std::int64_t>(gfp.gfp.size()) != plan.sizes.at(file))
            return Because(path / converted.picture, JobError::ChangedWhilePacking);
        converted.gfp = std::move(gfp.gfp);
    }
    if (!gather.Append(std::span<const std::uint8_t>(converted.gfp)))
        return WriteFailed(path / file, out.error());
    Bytes().swap(converted.gfp);
    return {};
}

Status AppendFill(const Folder& folder, const Path& path, const Fill& fill, const PackPlan& plan,
                  Gatherer& gather, const AtomicFile& out)
{
    InputFile in;
    if (!fill.file.empty())
        return AppendFile(folder, path / fill.file, plan.sizes.at(fill.file), gather, out, in);
    if (!gather.Append(fill))
        return WriteFailed(path, out.error());
    return {};
}

// Lays down the header, the parts and the tables in manifest order.
Status WritePack(const Folder& folder, const Path& path, const Manifest& manifest, PackPlan& plan,
                 Gatherer& gather, const AtomicFile& out)
{
    const std::size_t count = manifest.items.size();
    Bytes header(kResHeaderSize);
    std::copy_n("RESF", 4, header.begin());
    PutLe32(header, 4, static_cast<std::int32_t>(count));
    PutLe32(header, 8, static_cast<std::int32_t>(plan.directory));
    if (!gather.Append(header))
        return WriteFailed(path, out.error());
    if (Status filled = AppendFill(folder, path, manifest.afterHeader, plan, gather, out); !filled)
        return filled;
    for (std::size_t i = 0; i <= count; ++i) {
        if (i == std::min(manifest.directoryAt, count)) {
            if (!gather.Append(plan.tables))
                return WriteFailed(path, out.error());
            if (Status filled = AppendFill(folder, path, manifest.afterDirectory, plan, gather, out); !filled)
                return filled;
        }
        if (i == count)
            break;
        if (Cancelled(plan.progress))
            return Error{IoError::Cancelled, path, {}, {}};
        if (plan.progress != nullptr)
            plan.progress->SetDone(static_cast<std::int64_t>(i));
        if (!plan.laysData[i])
            continue;
        const ManifestItem& item = manifest.items[i];
        Status laid = plan.converted.contains(item.file)
                          ? AppendConverted(folder, path, item.file, plan, gather, out)
                          : AppendItemFile(folder, path, item.file, plan, gather, out);
        if (laid)
            laid = AppendFill(folder, path, item.fill, plan, gather, out);
        if (laid && plan.progress != nullptr)
            plan.progress->AddBytes(plan.sizes.at(item.file));
        if (!laid)
            return laid;
    }
    return {};
}

} // namespace

PackResult PackArchive(const Path& folder, const Path& archive, GfpPacking packing, JobProgress* progress)
{
    Folder source;
    if (!source.Open(folder))
        return Refused<PackResult>(Error{ResError::CannotOpen, folder, source.error(), {}});
    if (LiesInside(archive, folder))
        return Refused<PackResult>(Because(archive, JobError::ArchiveInFolder));
    // Every file and name checked and every offset worked out before anything is written.
    Manifest manifest;
    PackPlan plan;
    plan.packing = packing;
    plan.progress = progress;
    Status planned = ReadManifestIn(source, folder, manifest);
    planned = planned ? MeasureFiles(source, folder, manifest, plan) : planned;
    planned = planned ? ChoosePictures(source, folder, manifest, plan) : planned;
    planned = planned ? PlanPack(folder, archive, manifest, plan) : planned;
    if (!planned)
        return Refused<PackResult>(planned.error());
    const std::size_t count = manifest.items.size();
    std::error_code error;
    if (std::filesystem::exists(archive, error) && !std::filesystem::is_regular_file(archive, error))
        return Refused<PackResult>(Because(archive, JobError::NotRegularFile));

    Rewrite rewrite;
    if (!rewrite.Begin(archive))
        return Refused<PackResult>(RewriteError(rewrite, archive));
    AtomicFile& out = rewrite.File();
    Gatherer gather(out);
    if (progress != nullptr)
        progress->Start(static_cast<std::int64_t>(count));
    const Status laid = WritePack(source, folder, manifest, plan, gather, out);
    if (Cancelled(progress)) {
        // The new archive is dropped with the rewrite; the old one was never touched.
        PackResult result = Refused<PackResult>(Error{IoError::Cancelled, archive, {}, {}});
        result.cancelled = true;
        return result;
    }
    if (!laid)
        return Refused<PackResult>(out.error() ? WriteFailed(archive, out.error()) : laid.error());
    if (!gather.Flush())
        return Refused<PackResult>(WriteFailed(archive, out.error()));
    if (!rewrite.Commit())
        return Refused<PackResult>(RewriteError(rewrite, archive));
    Wrote(progress, archive);
    PackResult result;
    result.items = static_cast<int>(count);
    return result;
}

} // namespace varnox::jobs
