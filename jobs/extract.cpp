#include "jobs/archive.h"
#include "jobs/archive_shared.h"

#include "formats/describe.h"
#include "formats/gfp_length.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "formats/text.h"
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
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace varnox::jobs {

namespace {

constexpr std::size_t kMaxFileName = 255; // bytes, as file systems allow
constexpr std::size_t kStatusReasons = 3;

constexpr std::size_t kInlineFill = 4096; // non-zero bytes after a part up to this go into the manifest

// True when every byte of range is zero; read a piece at a time.
bool AllZero(InputFile& file, const ByteRange& range, bool& zero)
{
    Bytes chunk(static_cast<std::size_t>(std::min<std::int64_t>(range.length, kChunk)));
    zero = true;
    for (std::int64_t at = range.offset; zero && at < range.end();) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(range.end() - at, kChunk));
        if (!file.ReadAt(at, std::span(chunk.data(), n)))
            return false;
        zero = std::all_of(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n),
                           [](std::uint8_t b) { return b == 0; });
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

// The bytes of range as a fill: a count when all are zero, the bytes themselves when they are
// few, else the file of that name which extract then writes with them.
bool ReadFill(InputFile& file, const ByteRange& range, const std::string& name, Fill& fill)
{
    fill = {std::max<std::int64_t>(range.length, 0), {}, {}};
    bool zero = true;
    if (range.length <= 0 || !AllZero(file, range, zero))
        return range.length <= 0;
    if (zero)
        return true;
    if (range.length > static_cast<std::int64_t>(kInlineFill)) {
        fill.file = name;
        return true;
    }
    fill.bytes.resize(static_cast<std::size_t>(range.length));
    return file.ReadAt(range.offset, fill.bytes);
}

// One plan per item; an item whose data start where an earlier one's do gets that one's plan,
// so that the data are written once.
std::vector<ItemPlan> PlanItems(InputFile& file, const ArchiveModel& model, ExtractResult& result)
{
    std::vector<ItemPlan> plans;
    plans.reserve(model.items.size());
    std::unordered_map<std::int64_t, std::size_t> firstAt;
    for (std::size_t i = 0; i < model.items.size(); ++i) {
        const ArchiveItem& item = model.items[i];
        const auto first =
            item.inFile && item.shared ? firstAt.find(item.entry.itemDataOffset) : firstAt.end();
        if (first != firstAt.end()) {
            plans.push_back(plans[first->second]);
            continue;
        }
        plans.push_back(PlanItem(file, model, i, result));
        if (item.inFile && item.shared)
            firstAt.emplace(item.entry.itemDataOffset, i);
    }
    return plans;
}

// File names for every item: its name and its type's extension where that is safe and not
// yet taken (case ignored, so that the folder survives a case-blind file system); "name~2"
// for a later item of a taken name; "eintrag-N" for a name that is no file name. Each "~k"
// search goes on from where the last one of the same name ended.
class FileNamer {
  public:
    bool Take(const std::string& file)
    {
        return file.size() <= kMaxFileName && taken_.insert(FoldNameCase(file)).second;
    }
    // base~k + extension for the first k not taken; empty when base is too long for it.
    std::string Numbered(const std::string& base, const std::string& extension)
    {
        if (base.size() + extension.size() + 12 > kMaxFileName)
            return {};
        int& next = next_.try_emplace(FoldNameCase(base + extension), 2).first->second;
        for (;; ++next) {
            std::string file = base;
            file.append("~").append(std::to_string(next)).append(extension);
            if (Take(file)) {
                ++next;
                return file;
            }
        }
    }

  private:
    std::unordered_set<std::string> taken_ = {FoldNameCase(kManifestName)};
    std::unordered_map<std::string, int> next_;
};

void NameFiles(const ArchiveModel& model, std::vector<ItemPlan>& plans, ExtractResult& result)
{
    FileNamer namer;
    std::vector<std::size_t> later;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].owner != i)
            continue;
        const std::string_view name = ItemName(model.items[i].entry);
        const std::string file = Latin1ToUtf8(name) + TypeExtension(model.items[i].entry.itemDataType);
        if (!IsUnsafeFileName(name) && namer.Take(file))
            plans[i].file = file;
        else
            later.push_back(i);
    }
    for (const std::size_t i : later) {
        const std::string_view name = ItemName(model.items[i].entry);
        const std::string extension = TypeExtension(model.items[i].entry.itemDataType);
        const bool safe = !IsUnsafeFileName(name);
        const std::string stem = Latin1ToUtf8(name);
        plans[i].file = safe ? namer.Numbered(stem, extension) : std::string();
        const std::string fallback = "eintrag-" + std::to_string(i);
        if (plans[i].file.empty())
            plans[i].file =
                namer.Take(fallback + extension) ? fallback + extension : namer.Numbered(fallback, extension);
        const bool taken = safe && stem.size() + extension.size() <= kMaxFileName;
        result.notes.push_back(
            Label(i) + ": " +
            Reason(taken ? JobError::NameTaken : JobError::NameUnfit, {DisplayFileName(plans[i].file)}));
    }
    for (ItemPlan& plan : plans)
        plan.file = plans[plan.owner].file;
}

// True when a pack of the manifest lays every part where the archive has it.
bool LaidOutAsBefore(const ArchiveModel& model, const std::vector<ItemPlan>& plans, const Manifest& manifest)
{
    std::int64_t at = static_cast<std::int64_t>(kResHeaderSize) + manifest.afterHeader.length;
    bool same = true;
    for (std::size_t i = 0; i <= plans.size(); ++i) {
        if (i == manifest.directoryAt) {
            same = same && at == model.tables.offset;
            at += model.tables.length + manifest.afterDirectory.length;
        }
        if (i == plans.size())
            break;
        if (plans[i].owner != i) // laid down with the item whose data it shares
            continue;
        same = same && at == model.items[i].entry.itemDataOffset;
        at += plans[i].data.length + plans[i].fill;
    }
    return same && at == model.fileSize;
}

// Where the directory lies among the items, and what of the layout a pack of the manifest
// would not give back.
void PlanLayout(const ArchiveModel& model, const std::vector<ItemPlan>& plans, Manifest& manifest,
                ExtractResult& result)
{
    const std::int64_t directory = model.tables.offset;
    if (directory < static_cast<std::int64_t>(kResHeaderSize))
        result.notKept.push_back(Reason(JobError::DirectoryOverlapsHeader));
    manifest.directoryAt = plans.size();
    std::int64_t previous = -1;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const ArchiveItem& item = model.items[i];
        const std::int64_t offset = item.entry.itemDataOffset;
        if (item.inFile && offset > directory && manifest.directoryAt == plans.size())
            manifest.directoryAt = i;
        if (!item.inFile || plans[i].owner != i)
            continue;
        if (model.OverlapsTables(i))
            result.notKept.push_back(Label(i) + ": " + Reason(JobError::DataOverlapsTables));
        else if (offset <= previous)
            result.notKept.push_back(Label(i) + ": " + Reason(JobError::DataBeforeEarlier));
        previous = std::max(previous, offset);
    }
    if (result.notKept.empty() && !LaidOutAsBefore(model, plans, manifest))
        result.notKept.push_back(Reason(JobError::LayoutNotRebuilt));
}

// The first few of what a pack would not give back, in the user's language.
std::string NotKeptReasons(const std::vector<std::string>& notKept)
{
    std::string reasons;
    for (std::size_t i = 0; i < notKept.size() && i < kStatusReasons; ++i)
        reasons += (i > 0 ? "; " : "") + notKept[i];
    if (notKept.size() > kStatusReasons)
        reasons += TranslateWith(QT_TRANSLATE_NOOP("Varnox", "; und %1 weitere"),
                                 {std::to_string(notKept.size() - kStatusReasons)});
    return reasons;
}

// The manifest's last line: its keyword, which pack reads, then the reasons.
std::string StatusLine(const std::vector<std::string>& notKept)
{
    return notKept.empty() ? std::string(kExact) : std::string(kNotExact) + ": " + NotKeptReasons(notKept);
}

// The same as the user reads it.
std::string StatusText(const std::vector<std::string>& notKept)
{
    return notKept.empty()
               ? Translate(QT_TRANSLATE_NOOP("Varnox", "exakt"))
               : TranslateWith(QT_TRANSLATE_NOOP("Varnox", "nicht exakt: %1"), {NotKeptReasons(notKept)});
}

struct ExtractPlan {
    ArchiveModel model;
    std::vector<ItemPlan> plans;
    Manifest manifest;
    std::vector<std::pair<ByteRange, std::string>> fillFiles;      // bytes kept in files of their own
    std::vector<std::pair<std::size_t, std::string>> sidePictures; // picture item and its PNG or TGA
    std::unordered_map<std::string, FileIdentity> examined;        // each PNG or TGA as first examined
};

// The PNG or TGA each picture item gets beside its GFP in an extract with pictures (only those
// of only, when given).
void PlanSidePictures(SidePicture kind, const std::vector<std::size_t>& only, ExtractPlan& plan)
{
    for (std::size_t i = 0; i < plan.plans.size() && kind != SidePicture::None; ++i) {
        if (plan.plans[i].owner != i || plan.model.items[i].entry.itemDataType != kItemTypePicture ||
            (!only.empty() && std::find(only.begin(), only.end(), i) == only.end()))
            continue;
        if (std::string name = SidePictureName(plan.plans[i].file, kind); !name.empty())
            plan.sidePictures.emplace_back(i, std::move(name));
    }
}

// The manifest's lines and the bytes between the parts; false when the archive cannot be read.
bool PlanManifest(InputFile& file, ExtractPlan& plan)
{
    const ArchiveModel& model = plan.model;
    Manifest& manifest = plan.manifest;
    const auto fill = [&](const ByteRange& range, const std::string& name, Fill& out) {
        if (!ReadFill(file, range, name, out))
            return false;
        if (!out.file.empty())
            plan.fillFiles.emplace_back(range, name);
        return true;
    };
    std::int64_t afterTables = model.fileSize;
    for (const ArchiveItem& item : model.items)
        if (item.inFile && item.entry.itemDataOffset >= model.tables.end())
            afterTables = std::min<std::int64_t>(afterTables, item.entry.itemDataOffset);
    bool read = model.tables.offset < static_cast<std::int64_t>(kResHeaderSize) ||
                fill(model.afterHeader, "füllung-vorspann.bin", manifest.afterHeader);
    read = read && fill({model.tables.end(), afterTables - model.tables.end()}, "füllung-verzeichnis.bin",
                        manifest.afterDirectory);
    manifest.items.resize(plan.plans.size());
    for (std::size_t i = 0; i < plan.plans.size() && read; ++i) {
        const ItemPlan& item = plan.plans[i];
        ManifestItem& line = manifest.items[i];
        line.type = model.items[i].entry.itemDataType;
        line.file = item.file;
        const NameField field = model.items[i].entry.itemName.Whole();
        if (NameFieldFromFile(line.file, line.type) != field)
            line.nameField = field;
        if (item.owner == i)
            read = fill({item.data.end(), item.fill}, "füllung-" + std::to_string(i) + ".bin", line.fill);
    }
    return read;
}

// Opens the folder as unpack opens its own: a real folder (made when missing, the levels above
// it too), never a link, held open for every file written. Refuses the archive's own folder
// when a file written there would take the archive's name.
Status OpenExtractFolder(const Path& given, const Path& archive, const ExtractPlan& plan, Folder& folder)
{
    std::error_code error;
    Path path = std::filesystem::absolute(given, error).lexically_normal();
    if (!path.has_filename())
        path = path.parent_path();
    if (!error && path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (error || !folder.OpenReal(path.parent_path(), path.filename().string())) {
        if (!error && folder.error() == std::errc::not_a_directory)
            return Error{ExtractError::FolderNotReal, given, {}, {}};
        return Error{JobError::FolderNotMade, given, error ? error : folder.error(), {}};
    }
    struct stat opened {
    }, archiveFolder{};
    const Path above = archive.has_parent_path() ? archive.parent_path() : Path(".");
    if (::fstat(folder.fd(), &opened) != 0 || ::stat(above.c_str(), &archiveFolder) != 0 ||
        opened.st_dev != archiveFolder.st_dev || opened.st_ino != archiveFolder.st_ino)
        return {};
    // In its own folder the archive would be replaced by a file of its name.
    const std::string own = FoldNameCase(archive.filename().string());
    const auto isOwn = [&](const std::string& file) { return FoldNameCase(file) == own; };
    const auto isOwnSecond = [&](const auto& named) { return isOwn(named.second); };
    if (isOwn(kManifestName) ||
        std::any_of(plan.plans.begin(), plan.plans.end(), [&](const ItemPlan& p) { return isOwn(p.file); }) ||
        std::any_of(plan.fillFiles.begin(), plan.fillFiles.end(), isOwnSecond) ||
        std::any_of(plan.sidePictures.begin(), plan.sidePictures.end(), isOwnSecond))
        return Because(archive, JobError::ItemTakesArchiveName);
    return {};
}

enum class Outcome { Written, Kept, Cancelled, Failed };

// The items whose files are written: every one, or those of only with the items they share data with.
std::vector<bool> WantedItems(const ExtractPlan& plan, const std::vector<std::size_t>& only)
{
    std::vector<bool> wanted(plan.plans.size(), only.empty());
    for (const std::size_t i : only)
        if (i < wanted.size())
            wanted[plan.plans[i].owner] = true;
    return wanted;
}

// The pictures beside the GFPs that the folder's manifest says extract wrote, with the CRC-32
// of their files and pixels; none when it is missing or damaged.
std::unordered_map<std::string, PictureChecksum> ReadRecordedPictures(const Folder& folder)
{
    InputFile in;
    Manifest manifest;
    if (!in.OpenIn(folder, kManifestName) || in.Size() > kMaxManifestSize)
        return {};
    std::string text(static_cast<std::size_t>(in.Size()), '\0');
    if (!in.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())) ||
        !ParseManifest(text, manifest))
        return {};
    std::unordered_map<std::string, PictureChecksum> recorded;
    for (const ManifestItem& item : manifest.items)
        for (const SidePicture kind : {SidePicture::Png, SidePicture::Tga})
            if (const auto sums = RecordedSidePicture(item, kind))
                recorded.emplace(SidePictureName(item.file, kind), *sums);
    return recorded;
}

// True when the picture name of the folder is not what extract wrote there: its bytes and its
// pixels changed, or it was put where extract wrote none. One that cannot be read as a picture
// counts as changed; one that cannot be read at all is left to the writer, which refuses it.
bool IsEdited(const Folder& folder, const Path& path, const std::string& name,
              const PictureChecksum& recorded)
{
    struct stat st {};
    if (::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const Result<std::uint32_t> bytes = FileCrc(folder, path, name);
    if (!bytes || (recorded.file && *bytes == *recorded.file))
        return false;
    if (!recorded.pixels)
        return true;
    const Result<std::uint32_t> pixels = PixelCrc(folder, path, name);
    return !pixels || *pixels != *recorded.pixels;
}

// The pictures beside the GFPs this extract would replace that were changed since the last
// extract wrote them.
// Each is replaced later only as it was found here.
std::vector<std::string> FindEditedPictures(const Folder& folder, const Path& path, ExtractPlan& plan)
{
    std::vector<std::string> edited;
    if (plan.sidePictures.empty())
        return edited;
    for (const auto& [i, name] : plan.sidePictures)
        plan.examined[name] = IdentityAt(folder, name);
    const std::unordered_map<std::string, PictureChecksum> recorded = ReadRecordedPictures(folder);
    for (const auto& [i, name] : plan.sidePictures)
        if (const auto found = recorded.find(name);
            found != recorded.end() && IsEdited(folder, path, name, found->second))
            edited.push_back(name);
    return edited;
}

// Writes the files of an extract into its folder, asking before a file that differs is replaced.
class ExtractWriter {
  public:
    ExtractWriter(InputFile& in, const Path& archive, const Folder& folder, const Path& folderPath,
                  const ReplaceQuestion& ask, JobProgress* progress, ExtractResult& result)
        : in_(in), archive_(archive), folder_(folder), folderPath_(folderPath), ask_(ask),
          progress_(progress), result_(result)
    {
    }

    // Copies range of the archive into the file name of the folder; crc, when given, gets
    // the CRC-32 of the bytes.
    Outcome Write(const ByteRange& range, const std::string& name, std::uint32_t* crc = nullptr)
    {
        if (Cancelled(progress_))
            return Outcome::Cancelled;
        if (progress_ != nullptr) {
            progress_->AddBytes(range.length);
            progress_->Advance();
        }
        AtomicFile out;
        if (!out.Open(folder_, name) || !CopyRange(in_, range, out, chunk_, crc))
            return Failed(out, name);
        return Put(out, name);
    }

    // Puts the file written into out in place of name, asking first when name holds other bytes.
    Outcome Put(AtomicFile& out, const std::string& name)
    {
        // A file where none stood needs no question: its commit refuses one put there meanwhile.
        struct stat existing {};
        if (out.ExpectsTarget() &&
            ::fstatat(folder_.fd(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
            !out.MatchesTarget()) {
            switch (ask_ && !replaceAll_ ? ask_(folderPath_ / name) : ReplaceAnswer::Yes) {
            case ReplaceAnswer::Yes: break;
            case ReplaceAnswer::YesToAll: replaceAll_ = true; break;
            case ReplaceAnswer::No: return Outcome::Kept;
            case ReplaceAnswer::Cancel: return Outcome::Cancelled;
            }
            result_.replaced.push_back(name);
        }
        if (!out.Commit(Flush::ByCaller))
            return Failed(out, name);
        Wrote(progress_, folderPath_ / name);
        return Outcome::Written;
    }

  private:
    Outcome Failed(const AtomicFile& out, const std::string& name)
    {
        result_.status =
            out.error() ? WriteFailed(folderPath_ / name, out.error()) : ReadFailed(archive_, in_.error());
        return Outcome::Failed;
    }

    InputFile& in_;
    const Path& archive_;
    const Folder& folder_;
    const Path& folderPath_;
    const ReplaceQuestion& ask_;
    JobProgress* progress_;
    ExtractResult& result_;
    Bytes chunk_;
    bool replaceAll_ = false;
};

// Writes the wanted items and, for a whole extract, the fill files; the outcome of the first
// file not written, else Written.
Outcome WriteExtract(ExtractWriter& writer, ExtractPlan& plan, const std::vector<std::size_t>& only,
                     ExtractResult& result)
{
    const std::vector<bool> wanted = WantedItems(plan, only);
    int kept = 0;
    for (std::size_t i = 0; i < plan.plans.size(); ++i) {
        if (!wanted[i] || plan.plans[i].owner != i)
            continue;
        std::uint32_t crc = 0;
        const Outcome outcome = writer.Write(plan.plans[i].data, plan.plans[i].file, &crc);
        plan.manifest.items[i].crc = crc;
        if (outcome == Outcome::Cancelled || outcome == Outcome::Failed)
            return outcome;
        (outcome == Outcome::Kept ? kept : result.written) += 1;
    }
    for (std::size_t i = 0; i < plan.fillFiles.size() && only.empty(); ++i) {
        const Outcome outcome = writer.Write(plan.fillFiles[i].first, plan.fillFiles[i].second);
        if (outcome != Outcome::Written && outcome != Outcome::Kept)
            return outcome;
        kept += outcome == Outcome::Kept ? 1 : 0;
    }
    return kept > 0 ? Outcome::Kept : Outcome::Written;
}

// Writes every picture item's GFP also as a picture beside it, asking as for the items, and
// keeps the checksums in the manifest; a GFP that is no readable picture is named in a note.
// The outcome of the first picture not written, else Written.
Outcome WriteSidePictures(ExtractWriter& writer, InputFile& archive, const Folder& folder, const Path& path,
                          SidePicture kind, ExtractPlan& plan, ExtractResult& result)
{
    constexpr std::int64_t kReadFromArchive = 1 << 20;
    bool kept = false;
    Bytes gfp;
    for (const auto& [i, name] : plan.sidePictures) {
        AtomicFile out;
        PictureChecksum sums;
        std::uint32_t pixels = 0;
        // Every GFP was just written from the archive's bytes: a small one is read from there
        // again, not opened in the folder.
        const ByteRange& range = plan.plans[i].data;
        gfp.resize(static_cast<std::size_t>(range.length <= kReadFromArchive ? range.length : 0));
        if (!archive.ReadAt(range.offset, gfp))
            gfp.clear();
        const Status written = WriteSidePicture(folder, path, plan.plans[i].file, kind, out, pixels, gfp);
        if (written) {
            out.ExpectTarget(plan.examined.at(name));
            // The sum of what was written, read back before the commit closes it; a file
            // kept instead is read from the folder.
            const Result<std::uint32_t> own = WrittenCrc(out, path / name);
            const Outcome outcome = writer.Put(out, name);
            if (outcome == Outcome::Cancelled || outcome == Outcome::Failed)
                return outcome;
            kept = kept || outcome == Outcome::Kept;
            const Result<std::uint32_t> crc = outcome == Outcome::Kept ? FileCrc(folder, path, name) : own;
            if (!crc) {
                result.status = crc.error();
                return Outcome::Failed;
            }
            sums = {*crc, pixels};
            (kind == SidePicture::Png ? plan.manifest.items[i].png : plan.manifest.items[i].tga) = sums;
            continue;
        }
        const Error& error = written.error();
        if (CodeOf<IoError>(written) == IoError::CannotWrite ||
            CodeOf<IoError>(written) == IoError::OutOfMemory) {
            result.status = error;
            return Outcome::Failed;
        }
        (kind == SidePicture::Png ? plan.manifest.items[i].png : plan.manifest.items[i].tga) =
            PictureChecksum{};
        result.notes.push_back(Label(i) + ": " +
                               Reason(JobError::SidePictureNotWritten,
                                      {kind == SidePicture::Png ? "PNG" : "TGA", Describe(error)}));
    }
    return kept ? Outcome::Kept : Outcome::Written;
}

Status WriteManifestIn(const Folder& out, const Path& folder, const Manifest& lines)
{
    const std::string text = WriteManifest(lines);
    AtomicFile manifest;
    if (!manifest.Open(out, kManifestName) ||
        !manifest.Write({std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())}) ||
        !manifest.Commit(Flush::Always))
        return WriteFailed(folder / kManifestName, manifest.error());
    return {};
}

} // namespace

Path ExtractFolder(const Path& archive)
{
    // As for unpack: a name that is no folder of its own ("", ".", "..") is not taken.
    const std::string name = UnpackFolderName(archive.filename().string());
    if (!IsPlainFileName(name))
        return {};
    return archive.parent_path() / name;
}

ExtractResult ExtractArchive(const Path& archive, const Path& folder, const std::vector<std::size_t>& only,
                             const ReplaceQuestion& askReplace, SidePicture pictures, EditedFiles edited,
                             JobProgress* progress)
{
    // Opened once: every read sees the same version of the archive.
    InputFile file;
    ExtractPlan plan;
    if (!file.Open(archive))
        return Refused<ExtractResult>(ArchiveError(Error{ResError::CannotOpen, archive, file.error(), {}}));
    Module1 module;
    if (auto status = ReadArchive(module, file, archive, plan.model); !status)
        return Refused<ExtractResult>(ArchiveError(status.error()));
    ExtractResult result;
    result.records = ArchiveRecords(module);
    plan.plans = PlanItems(file, plan.model, result);
    NameFiles(plan.model, plan.plans, result);
    if (!PlanManifest(file, plan))
        return Refused<ExtractResult>(ReadFailed(archive, file.error()));
    PlanLayout(plan.model, plan.plans, plan.manifest, result);
    PlanSidePictures(pictures, only, plan);
    plan.manifest.status = StatusLine(result.notKept);
    result.summary = StatusText(result.notKept);

    Folder out;
    if (result.status = OpenExtractFolder(folder, archive, plan, out); !result.status)
        return result;
    result.edited = FindEditedPictures(out, folder, plan);
    if (!result.edited.empty() && edited == EditedFiles::Refuse) {
        result.status = Because(folder, JobError::EditedNotReplaced, {std::to_string(result.edited.size())});
        return result;
    }
    // The old manifest goes before the first file changes: a folder whose extract did not
    // end has none, so that it is never packed as a mix of two archives.
    if (!out.Remove(kManifestName)) {
        result.status = WriteFailed(folder / kManifestName, out.error());
        return result;
    }
    if (progress != nullptr)
        progress->Start(static_cast<std::int64_t>(plan.plans.size() + plan.fillFiles.size()));
    ExtractWriter writer(file, archive, out, folder, askReplace, progress, result);
    Outcome outcome = WriteExtract(writer, plan, only, result);
    if (outcome == Outcome::Written)
        outcome = WriteSidePictures(writer, file, out, folder, pictures, plan, result);
    if (outcome == Outcome::Failed)
        return result;
    if (!out.Sync()) {
        result.status = WriteFailed(folder, out.error());
        return result;
    }
    if (outcome != Outcome::Written || !only.empty()) {
        result.summary = Translate(
            outcome == Outcome::Cancelled ? QT_TRANSLATE_NOOP("Varnox", "abgebrochen, ohne archive.txt")
            : outcome == Outcome::Kept
                ? QT_TRANSLATE_NOOP("Varnox", "vorhandene Dateien behalten, ohne archive.txt")
                : QT_TRANSLATE_NOOP("Varnox", "Auswahl, ohne archive.txt"));
        return result;
    }
    // Written last, once every file it names is on disk.
    result.status = WriteManifestIn(out, folder, plan.manifest);
    if (result.status)
        Wrote(progress, folder / kManifestName);
    return result;
}

} // namespace varnox::jobs
