#include "jobs/archive.h"

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
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace varnox::jobs {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kMaxFileName = 255; // bytes, as file systems allow
constexpr std::int64_t kTableEntrySize = kResEntrySize + kResNameSize;
constexpr std::size_t kStatusReasons = 3;

Refusal Because(const Path& file, std::string reason)
{
    return {PathText(file), std::move(reason)};
}

template <class Result> Result Refused(const Path& file, std::string reason)
{
    Result result;
    result.refusal = Because(file, std::move(reason));
    return result;
}

std::string CannotWrite(const std::error_code& error)
{
    return "Die Datei kann nicht geschrieben werden: " + SystemReason(error);
}

std::string CannotRead(const std::error_code& error)
{
    return "Die Datei kann nicht gelesen werden: " +
           SystemReason(error ? error : std::make_error_code(std::errc::io_error));
}

std::string ArchiveReason(const Status& status)
{
    if (CodeOf<ResError>(status) == ResError::NotRes)
        return kInvalidRes;
    return Describe(status.error());
}

std::string Label(std::size_t index)
{
    return "#" + std::to_string(index);
}

// The refusal of a rewrite of archive that did not go through.
Refusal RewriteRefusal(const Rewrite& rewrite, const Path& archive)
{
    switch (rewrite.fault()) {
    case Rewrite::Fault::Busy:
        return Because(archive, "Das Archiv wird gerade von einem anderen Vorgang geschrieben");
    case Rewrite::Fault::Changed: return Because(archive, "Das Archiv wurde inzwischen geändert");
    case Rewrite::Fault::Open:
        return Because(archive, ArchiveReason(Error{ResError::CannotOpen, archive, rewrite.error(), {}}));
    case Rewrite::Fault::Backup:
        return Because(rewrite.BackupPath(),
                       "Die Sicherungskopie kann nicht geschrieben werden: " + SystemReason(rewrite.error()));
    case Rewrite::Fault::None:
    case Rewrite::Fault::Write: break;
    }
    return Because(archive, CannotWrite(rewrite.error()));
}

// A picture file of the folder that is a GFP zlib cannot read, with the reason; pictures
// that are no GFP at all (damaged items, kept as raw bytes) go in as they are.
std::optional<Refusal> FindUnreadablePicture(const Path& folder, const Manifest& manifest)
{
    for (const ManifestItem& item : manifest.items) {
        const Path path = folder / item.file;
        struct stat st {};
        InputFile in;
        if (item.type != kItemTypePicture || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            !in.Open(path))
            continue;
        std::array<std::uint8_t, kGfpPayloadAt> head{};
        const std::size_t got = in.ReadSomeAt(0, head);
        std::int64_t length = 0;
        if (MeasureGfp(std::span(head.data(), got), in.Size(), length) != ExtractError::None)
            continue;
        if (const GfpError error = CheckGfpPixels(in, 0, length); error != GfpError::None)
            return Because(path, Describe(error));
    }
    return std::nullopt;
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

// ---- extract ----

constexpr std::size_t kInlineFill = 4096; // non-zero bytes after a part up to this go into the manifest

// Copies range of in to the end of out in pieces of a mebibyte at most, through chunk.
bool CopyRange(InputFile& in, const ByteRange& range, AtomicFile& out, Bytes& chunk)
{
    chunk.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(range.length, 0, kChunk)));
    for (std::int64_t at = range.offset; at < range.end();) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(range.end() - at, kChunk));
        const std::span<std::uint8_t> piece(chunk.data(), n);
        if (!in.ReadAt(at, piece) || !out.Write({piece}))
            return false;
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

struct ItemPlan {
    ByteRange data;        // the bytes written to the item's file
    std::int64_t fill = 0; // bytes of the extent after them
    std::string file;
    std::size_t owner = 0; // the first item whose data start where this one's do; itself if none
};

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

// The bytes an item's file gets: a picture's own GFP length (as unpack copies it) or, for a
// damaged picture and every other type, its extent.
ItemPlan PlanItem(InputFile& file, const ArchiveModel& model, std::size_t index, ExtractResult& result)
{
    const ArchiveItem& item = model.items[index];
    const std::int64_t offset = item.entry.itemDataOffset;
    ItemPlan plan;
    plan.data = {offset, item.extent};
    plan.owner = index;
    if (!item.inFile) {
        plan.data.length = 0;
        result.notKept.push_back(Label(index) + ": " + Describe(ExtractError::BadItemOffset));
        return plan;
    }
    if (item.entry.itemDataType != kItemTypePicture)
        return plan;
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = file.ReadSomeAt(offset, head);
    std::int64_t length = 0;
    const ExtractError error = MeasureGfp(std::span(head.data(), got), model.fileSize - offset, length);
    if (error != ExtractError::None) {
        result.notes.push_back(Label(index) + ": kein gültiges Bild (" + Describe(error) +
                               "), als Rohdaten geschrieben");
    } else if (length > item.extent) {
        plan.data.length = length;
        result.notKept.push_back(Label(index) + ": Das Bild reicht in die folgenden Daten hinein");
    } else {
        plan.data.length = length;
        plan.fill = item.extent - length;
    }
    return plan;
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
        std::string note = Label(i);
        note += safe && stem.size() + extension.size() <= kMaxFileName
                    ? ": Name schon vergeben, als \""
                    : ": Der Name taugt nicht als Dateiname, als \"";
        note += DisplayFileName(plans[i].file);
        note += "\" geschrieben";
        result.notes.push_back(std::move(note));
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
        result.notKept.emplace_back("Das Verzeichnis überlappt den Dateikopf");
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
            result.notKept.push_back(Label(i) + ": Die Daten überlappen Dateikopf oder Verzeichnis");
        else if (offset <= previous)
            result.notKept.push_back(Label(i) + ": Die Daten liegen vor denen eines früheren Eintrags");
        previous = std::max(previous, offset);
    }
    if (result.notKept.empty() && !LaidOutAsBefore(model, plans, manifest))
        result.notKept.emplace_back("Die Anordnung der Daten lässt sich nicht nachbauen");
}

std::string StatusLine(const std::vector<std::string>& notKept)
{
    if (notKept.empty())
        return kExact;
    std::string line = "nicht exakt: ";
    for (std::size_t i = 0; i < notKept.size() && i < kStatusReasons; ++i)
        line += (i > 0 ? "; " : "") + notKept[i];
    if (notKept.size() > kStatusReasons)
        line += "; und " + std::to_string(notKept.size() - kStatusReasons) + " weitere";
    return line;
}

struct ExtractPlan {
    ArchiveModel model;
    std::vector<ItemPlan> plans;
    Manifest manifest;
    std::vector<std::pair<ByteRange, std::string>> fillFiles; // bytes kept in files of their own
};

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
        const NameField& field = model.items[i].entry.itemName;
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
std::optional<Refusal> OpenExtractFolder(const Path& given, const Path& archive, const ExtractPlan& plan,
                                         Folder& folder)
{
    std::error_code error;
    Path path = std::filesystem::absolute(given, error).lexically_normal();
    if (!path.has_filename())
        path = path.parent_path();
    if (!error && path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (error || !folder.OpenReal(path.parent_path(), path.filename().string())) {
        if (!error && folder.error() == std::errc::not_a_directory)
            return Because(given, Describe(ExtractError::FolderNotReal));
        return Because(given, "Der Ordner kann nicht angelegt werden: " +
                                  SystemReason(error ? error : folder.error()));
    }
    struct stat opened {
    }, archiveFolder{};
    const Path above = archive.has_parent_path() ? archive.parent_path() : Path(".");
    if (::fstat(folder.fd(), &opened) != 0 || ::stat(above.c_str(), &archiveFolder) != 0 ||
        opened.st_dev != archiveFolder.st_dev || opened.st_ino != archiveFolder.st_ino)
        return std::nullopt;
    // In its own folder the archive would be replaced by a file of its name.
    const std::string own = FoldNameCase(archive.filename().string());
    const auto isOwn = [&](const std::string& file) { return FoldNameCase(file) == own; };
    if (isOwn(kManifestName) ||
        std::any_of(plan.plans.begin(), plan.plans.end(), [&](const ItemPlan& p) { return isOwn(p.file); }) ||
        std::any_of(plan.fillFiles.begin(), plan.fillFiles.end(),
                    [&](const auto& f) { return isOwn(f.second); }))
        return Because(archive, "Ein Eintrag hätte im Zielordner den Namen des Archivs");
    return std::nullopt;
}

enum class Outcome { Written, Kept, Cancelled, Failed };

// Writes the files of an extract into its folder, asking before a file that differs is replaced.
class ExtractWriter {
  public:
    ExtractWriter(InputFile& in, const Path& archive, const Folder& folder, const Path& folderPath,
                  const ReplaceQuestion& ask, ExtractResult& result)
        : in_(in), archive_(archive), folder_(folder), folderPath_(folderPath), ask_(ask), result_(result)
    {
    }

    // Copies range of the archive into the file name of the folder.
    Outcome Write(const ByteRange& range, const std::string& name)
    {
        AtomicFile out;
        if (!out.Open(folder_, name) || !CopyRange(in_, range, out, chunk_))
            return Failed(out, name);
        struct stat existing {};
        if (::fstatat(folder_.fd(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
            !out.MatchesTarget()) {
            switch (ask_ && !replaceAll_ ? ask_(folderPath_ / name) : ReplaceAnswer::Yes) {
            case ReplaceAnswer::Yes: break;
            case ReplaceAnswer::YesToAll: replaceAll_ = true; break;
            case ReplaceAnswer::No: return Outcome::Kept;
            case ReplaceAnswer::Cancel: return Outcome::Cancelled;
            }
            result_.replaced.push_back(name);
        }
        return out.Commit(Flush::ByCaller) ? Outcome::Written : Failed(out, name);
    }

  private:
    Outcome Failed(const AtomicFile& out, const std::string& name)
    {
        result_.refusal = out.error() ? Because(folderPath_ / name, CannotWrite(out.error()))
                                      : Because(archive_, CannotRead(in_.error()));
        return Outcome::Failed;
    }

    InputFile& in_;
    const Path& archive_;
    const Folder& folder_;
    const Path& folderPath_;
    const ReplaceQuestion& ask_;
    ExtractResult& result_;
    Bytes chunk_;
    bool replaceAll_ = false;
};

// Writes the wanted items and, for a whole extract, the fill files; the outcome of the first
// file not written, else Written.
Outcome WriteExtract(ExtractWriter& writer, const ExtractPlan& plan, const std::vector<std::size_t>& only,
                     ExtractResult& result)
{
    std::vector<bool> wanted(plan.plans.size(), only.empty());
    for (const std::size_t i : only)
        if (i < wanted.size())
            wanted[plan.plans[i].owner] = true;
    int kept = 0;
    for (std::size_t i = 0; i < plan.plans.size(); ++i) {
        if (!wanted[i] || plan.plans[i].owner != i)
            continue;
        const Outcome outcome = writer.Write(plan.plans[i].data, plan.plans[i].file);
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

// Writes every picture item's GFP also as a picture beside it and keeps the checksums in the
// manifest; a GFP that is no readable picture is named in a note. False when a file cannot
// be written.
bool WriteSidePictures(const Folder& folder, const Path& path, SidePicture kind, ExtractPlan& plan,
                       ExtractResult& result)
{
    for (std::size_t i = 0; i < plan.plans.size(); ++i) {
        if (plan.plans[i].owner != i || plan.model.items[i].entry.itemDataType != kItemTypePicture)
            continue;
        PictureChecksum sums;
        const Status written = WriteSidePicture(folder, path, plan.plans[i].file, kind, sums);
        if (written) {
            plan.manifest.items[i].checksum = sums;
            continue;
        }
        const Error& error = written.error();
        if (CodeOf<IoError>(written) == IoError::CannotWrite ||
            CodeOf<IoError>(written) == IoError::OutOfMemory) {
            result.refusal = RefusalOf(error);
            return false;
        }
        result.notes.push_back(Label(i) + ": nicht als " + (kind == SidePicture::Png ? "PNG" : "TGA") +
                               " geschrieben (" + RefusalOf(error).reason + ")");
    }
    return true;
}

} // namespace

Path ExtractFolder(const Path& archive)
{
    // As for unpack: a name that is no folder of its own ("", ".", "..") is not taken.
    const std::string name = UnpackFolderName(archive.filename().string());
    if (name.empty() || name == "." || name == "..")
        return {};
    return archive.parent_path() / name;
}

ExtractResult ExtractArchive(Module1& module, const Path& archive, const Path& folder,
                             const std::vector<std::size_t>& only, const ReplaceQuestion& askReplace,
                             SidePicture pictures)
{
    // Opened once: every read sees the same version of the archive.
    InputFile file;
    ExtractPlan plan;
    if (!file.Open(archive))
        return Refused<ExtractResult>(archive,
                                      ArchiveReason(Error{ResError::CannotOpen, archive, file.error(), {}}));
    if (auto status = ReadArchive(module, file, archive, plan.model); !status)
        return Refused<ExtractResult>(archive, ArchiveReason(status));
    ExtractResult result;
    plan.plans = PlanItems(file, plan.model, result);
    NameFiles(plan.model, plan.plans, result);
    if (!PlanManifest(file, plan))
        return Refused<ExtractResult>(archive, CannotRead(file.error()));
    PlanLayout(plan.model, plan.plans, plan.manifest, result);
    result.status = plan.manifest.status = StatusLine(result.notKept);

    Folder out;
    if (const auto refusal = OpenExtractFolder(folder, archive, plan, out)) {
        result.refusal = *refusal;
        return result;
    }
    // The old manifest goes before the first file changes: a folder whose extract did not
    // end has none, so that it is never packed as a mix of two archives.
    if (!out.Remove(kManifestName)) {
        result.refusal = Because(folder / kManifestName, CannotWrite(out.error()));
        return result;
    }
    ExtractWriter writer(file, archive, out, folder, askReplace, result);
    const Outcome outcome = WriteExtract(writer, plan, only, result);
    if (outcome == Outcome::Failed)
        return result;
    if (outcome == Outcome::Written && only.empty() && pictures != SidePicture::None &&
        !WriteSidePictures(out, folder, pictures, plan, result))
        return result;
    if (!out.Sync()) {
        result.refusal = Because(folder, CannotWrite(out.error()));
        return result;
    }
    result.ok = true;
    if (outcome != Outcome::Written || !only.empty()) {
        result.status = outcome == Outcome::Cancelled ? "abgebrochen, ohne archive.txt"
                        : outcome == Outcome::Kept    ? "vorhandene Dateien behalten, ohne archive.txt"
                                                      : "Auswahl, ohne archive.txt";
        return result;
    }
    // Written last, once every file it names is on disk.
    const std::string text = WriteManifest(plan.manifest);
    AtomicFile manifest;
    if (!manifest.Open(out, kManifestName) ||
        !manifest.Write({std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())}) ||
        !manifest.Commit(Flush::Always)) {
        result.ok = false;
        result.refusal = Because(folder / kManifestName, CannotWrite(manifest.error()));
    }
    return result;
}

// ---- pack ----

namespace {

constexpr const char* kPast32Bits = "Die Daten reichen über die 32-Bit-Offsets des Archivs hinaus";

// Why a file of the folder cannot be packed: only regular files are read, never what a link
// points to, nor a FIFO or a device.
std::string NotPackable(const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return "Ist ein symbolischer Link; gepackt werden nur gewöhnliche Dateien";
    if (S_ISFIFO(st.st_mode))
        return "Ist eine FIFO; gepackt werden nur gewöhnliche Dateien";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "Ist ein Gerät; gepackt werden nur gewöhnliche Dateien";
    if (S_ISDIR(st.st_mode))
        return "Ist ein Ordner; gepackt werden nur gewöhnliche Dateien";
    return "Keine gewöhnliche Datei";
}

// Opens name in folder for packing: a regular file, not reached through a link.
std::optional<Refusal> OpenPackFile(const Folder& folder, const Path& path, InputFile& in)
{
    if (in.OpenIn(folder, path.filename().string()))
        return std::nullopt;
    struct stat st {};
    if (in.error() == std::errc::no_such_file_or_directory)
        return Because(path, "Die Datei fehlt");
    if (::fstatat(folder.fd(), path.filename().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(st.st_mode))
        return Because(path, NotPackable(st));
    return Because(path, Describe(ResError::CannotOpen) + ": " + SystemReason(in.error()));
}

// Reads the manifest of the folder, refusing one larger than 64 MiB or damaged.
std::optional<Refusal> ReadManifestIn(const Folder& folder, const Path& path, Manifest& manifest)
{
    InputFile in;
    if (auto refusal = OpenPackFile(folder, path / kManifestName, in))
        return refusal;
    if (in.Size() > kMaxManifestSize)
        return Because(path / kManifestName, "Die Beschreibung ist größer als 64 MiB");
    std::string text(static_cast<std::size_t>(in.Size()), '\0');
    if (!in.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())))
        return Because(path / kManifestName, CannotRead(in.error()));
    const ManifestProblem problem = ParseManifest(text, manifest);
    if (problem.error == ManifestError::None)
        return std::nullopt;
    return Because(path / kManifestName,
                   (problem.line > 0 ? "Zeile " + std::to_string(problem.line) + ": " : std::string()) +
                       Describe(problem.error));
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
    GfpPacking packing = GfpPacking::Zlib;
    Module1 module;
};

constexpr std::size_t kConvertedKept = 8 << 20;

// Takes, for each picture item's GFP with a PNG or TGA beside it, what ChooseSidePicture
// decides, and converts a changed picture to learn its size; one picture at a time.
std::optional<Refusal> ChoosePictures(const Folder& folder, const Path& path, const Manifest& manifest,
                                      PackPlan& plan)
{
    std::unordered_set<std::string> seen;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < manifest.items.size(); ++i) {
        const ManifestItem& item = manifest.items[i];
        if (item.type != kItemTypePicture || !seen.insert(item.file).second)
            continue;
        const SideChoice choice = ChooseSidePicture(folder, path, item, Label(i));
        if (!choice.ok)
            return choice.refusal;
        if (choice.picture.empty())
            continue;
        ItemGfp gfp = ConvertSidePicture(plan.module, folder, path, item.file, choice.picture, plan.packing);
        if (!gfp.ok)
            return gfp.refusal;
        plan.sizes[item.file] = static_cast<std::int64_t>(gfp.gfp.size());
        PackPlan::Converted& converted = plan.converted[item.file];
        converted.picture = choice.picture;
        if (kept + gfp.gfp.size() <= kConvertedKept) {
            kept += gfp.gfp.size();
            converted.gfp = std::move(gfp.gfp);
        }
    }
    return std::nullopt;
}

std::int64_t FillLength(const Fill& fill, const PackPlan& plan)
{
    return fill.file.empty() ? fill.length : plan.sizes.at(fill.file);
}

// The size of every file the manifest names, each checked to be a regular file of the folder.
std::optional<Refusal> MeasureFiles(const Folder& folder, const Path& path, const Manifest& manifest,
                                    PackPlan& plan)
{
    std::vector<std::string> names = {manifest.afterHeader.file, manifest.afterDirectory.file};
    for (const ManifestItem& item : manifest.items) {
        names.push_back(item.file);
        names.push_back(item.fill.file);
    }
    for (const std::string& name : names) {
        if (name.empty() || plan.sizes.contains(name))
            continue;
        struct stat st {};
        if (::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return Because(path / name, errno == ENOENT ? std::string("Die Datei fehlt")
                                                        : Describe(ResError::CannotOpen) + ": " +
                                                              SystemReason({errno, std::generic_category()}));
        if (!S_ISREG(st.st_mode))
            return Because(path / name, NotPackable(st));
        plan.sizes.emplace(name, static_cast<std::int64_t>(st.st_size));
    }
    return std::nullopt;
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
std::optional<Refusal> PlanPack(const Path& path, const Path& archive, const Manifest& manifest,
                                PackPlan& plan)
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
        return Because(archive, kPast32Bits);

    plan.tables.assign(count * static_cast<std::size_t>(kTableEntrySize), 0);
    for (std::size_t i = 0; i < count; ++i) {
        const ManifestItem& item = manifest.items[i];
        const auto field = item.nameField ? item.nameField : NameFieldFromFile(item.file, item.type);
        if (!field)
            return Because(path / item.file, "Der Dateiname gibt kein Namensfeld: mehr als 256 Zeichen oder "
                                             "Zeichen außerhalb von Latin-1");
        PutLe32(plan.tables, i * kResEntrySize, item.type);
        PutLe32(plan.tables, i * kResEntrySize + 4, static_cast<std::int32_t>(plan.offsets[i]));
        std::copy(field->begin(), field->end(),
                  plan.tables.begin() +
                      static_cast<std::ptrdiff_t>(count * kResEntrySize + i * kResNameSize));
    }
    return std::nullopt;
}

// Appends the file name of the folder, whose size was found to be size, a piece at a time.
std::optional<Refusal> AppendFile(const Folder& folder, const Path& path, std::int64_t size, Gatherer& gather,
                                  const AtomicFile& out)
{
    InputFile in;
    if (auto refusal = OpenPackFile(folder, path, in))
        return refusal;
    if (in.Size() != size)
        return Because(path, "Die Datei hat sich während des Packens geändert");
    for (std::int64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kChunk));
        const std::span<std::uint8_t> room = gather.Reserve(n);
        if (room.size() != n)
            return Because(path, CannotWrite(out.error()));
        if (!in.ReadAt(at, room))
            return Because(path, CannotRead(in.error()));
        at += static_cast<std::int64_t>(n);
    }
    return std::nullopt;
}

// Appends the GFP file converted from the picture beside it, as measured before.
std::optional<Refusal> AppendConverted(const Folder& folder, const Path& path, const std::string& file,
                                       PackPlan& plan, Gatherer& gather, const AtomicFile& out)
{
    PackPlan::Converted& converted = plan.converted.at(file);
    if (converted.gfp.empty()) {
        ItemGfp gfp = ConvertSidePicture(plan.module, folder, path, file, converted.picture, plan.packing);
        if (!gfp.ok)
            return gfp.refusal;
        if (static_cast<std::int64_t>(gfp.gfp.size()) != plan.sizes.at(file))
            return Because(path / converted.picture, "Die Datei hat sich während des Packens geändert");
        converted.gfp = std::move(gfp.gfp);
    }
    if (!gather.Append(std::span<const std::uint8_t>(converted.gfp)))
        return Because(path / file, CannotWrite(out.error()));
    Bytes().swap(converted.gfp);
    return std::nullopt;
}

std::optional<Refusal> AppendFill(const Folder& folder, const Path& path, const Fill& fill,
                                  const PackPlan& plan, Gatherer& gather, const AtomicFile& out)
{
    if (!fill.file.empty())
        return AppendFile(folder, path / fill.file, plan.sizes.at(fill.file), gather, out);
    if (!gather.Append(fill))
        return Because(path, CannotWrite(out.error()));
    return std::nullopt;
}

// Lays down the header, the parts and the tables in manifest order.
std::optional<Refusal> WritePack(const Folder& folder, const Path& path, const Manifest& manifest,
                                 PackPlan& plan, Gatherer& gather, const AtomicFile& out)
{
    const std::size_t count = manifest.items.size();
    Bytes header(kResHeaderSize);
    std::copy_n("RESF", 4, header.begin());
    PutLe32(header, 4, static_cast<std::int32_t>(count));
    PutLe32(header, 8, static_cast<std::int32_t>(plan.directory));
    if (!gather.Append(header))
        return Because(path, CannotWrite(out.error()));
    if (auto refusal = AppendFill(folder, path, manifest.afterHeader, plan, gather, out))
        return refusal;
    for (std::size_t i = 0; i <= count; ++i) {
        if (i == std::min(manifest.directoryAt, count)) {
            if (!gather.Append(plan.tables))
                return Because(path, CannotWrite(out.error()));
            if (auto refusal = AppendFill(folder, path, manifest.afterDirectory, plan, gather, out))
                return refusal;
        }
        if (i == count)
            break;
        if (!plan.laysData[i])
            continue;
        const ManifestItem& item = manifest.items[i];
        if (auto refusal = plan.converted.contains(item.file)
                               ? AppendConverted(folder, path, item.file, plan, gather, out)
                               : AppendFile(folder, path / item.file, plan.sizes.at(item.file), gather, out))
            return refusal;
        if (auto refusal = AppendFill(folder, path, item.fill, plan, gather, out))
            return refusal;
    }
    return std::nullopt;
}

} // namespace

PackResult PackArchive(const Path& folder, const Path& archive, GfpPacking packing)
{
    Folder source;
    if (!source.Open(folder))
        return Refused<PackResult>(folder,
                                   Describe(ResError::CannotOpen) + ": " + SystemReason(source.error()));
    if (LiesInside(archive, folder))
        return Refused<PackResult>(archive, "Das Archiv liegt im Ordner, der gepackt wird");
    // Every file and name checked and every offset worked out before anything is written.
    Manifest manifest;
    PackPlan plan;
    plan.packing = packing;
    std::optional<Refusal> refusal = ReadManifestIn(source, folder, manifest);
    refusal = refusal ? refusal : MeasureFiles(source, folder, manifest, plan);
    refusal = refusal ? refusal : ChoosePictures(source, folder, manifest, plan);
    refusal = refusal ? refusal : PlanPack(folder, archive, manifest, plan);
    if (refusal) {
        PackResult result;
        result.refusal = *refusal;
        return result;
    }
    const std::size_t count = manifest.items.size();
    std::error_code error;
    if (std::filesystem::exists(archive, error) && !std::filesystem::is_regular_file(archive, error))
        return Refused<PackResult>(archive, "Keine gewöhnliche Datei");

    if (const std::optional<Refusal> unreadable = FindUnreadablePicture(folder, manifest)) {
        PackResult result;
        result.refusal = *unreadable;
        return result;
    }

    Rewrite rewrite;
    if (!rewrite.Begin(archive)) {
        PackResult result;
        result.refusal = RewriteRefusal(rewrite, archive);
        return result;
    }
    AtomicFile& out = rewrite.File();
    Gatherer gather(out);
    if (auto failed = WritePack(source, folder, manifest, plan, gather, out)) {
        PackResult result;
        result.refusal = out.error() ? Because(archive, CannotWrite(out.error())) : *failed;
        return result;
    }
    const bool ok = gather.Flush();
    if (!ok)
        return Refused<PackResult>(archive, CannotWrite(out.error()));
    PackResult result;
    if (!rewrite.Commit()) {
        result.refusal = RewriteRefusal(rewrite, archive);
        return result;
    }
    result.ok = true;
    result.items = static_cast<int>(count);
    return result;
}

// ---- replace ----

// The index that text names: "#N" from 0, else the one item of that name.
std::optional<std::size_t> FindItem(const ArchiveModel& model, const std::string& text, std::string& reason)
{
    const std::size_t count = model.items.size();
    if (text.size() > 1 && text.size() <= 11 && text[0] == '#' &&
        std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const auto index = static_cast<std::size_t>(std::stoll(text.substr(1)));
        if (index < count)
            return index;
        reason = text + ": Das Archiv hat nur die Einträge #0 bis " + Label(count - 1);
        return std::nullopt;
    }
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < count; ++i)
        if (Latin1ToUtf8(ItemName(model.items[i].entry)) == text)
            found.push_back(i);
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        reason = "Kein Eintrag heißt \"" + text + "\"";
    } else {
        reason = "Mehrere Einträge heißen \"" + text + "\" (";
        for (std::size_t k = 0; k < found.size(); ++k)
            reason += (k > 0 ? ", " : "") + Label(found[k]);
        reason += "); bitte mit #N wählen";
    }
    return std::nullopt;
}

namespace {

// Reads the GFP at the start of file (both tags, payload within the file), up to its own length.
bool ReadGfp(InputFile& file, std::int64_t offset, std::int64_t available, Bytes& gfp, std::string& reason)
{
    std::array<std::uint8_t, kGfpPayloadAt> head{};
    const std::size_t got = file.ReadSomeAt(offset, head);
    std::int64_t length = 0;
    if (const ExtractError error = MeasureGfp(std::span(head.data(), got), available, length);
        error != ExtractError::None) {
        reason = Describe(error);
        return false;
    }
    gfp.resize(static_cast<std::size_t>(length));
    if (!file.ReadAt(offset, gfp)) {
        reason = CannotRead(file.error());
        return false;
    }
    return true;
}

// Copies the first size bytes of in to out, a mebibyte at a time.
bool CopyInto(InputFile& in, std::int64_t size, AtomicFile& out)
{
    Bytes chunk;
    return CopyRange(in, {0, size}, out, chunk);
}

} // namespace

ItemGfp ConvertPictureIntoItemGfp(Module1& module, const Bytes& itemGfp, const Path& pictureFile,
                                  GfpPacking packing, const Folder* in)
{
    ItemGfp result;
    // The item's own head is kept, as tga2gfp keeps the target's.
    GfpHead head;
    if (const GfpError error = ParseGfpHead(itemGfp, head); error != GfpError::None) {
        result.refusal = RefusalOf(Error{error, pictureFile, {}, {}});
        return result;
    }
    auto source = PictureKindOf(pictureFile) == PictureKind::Png
                      ? OpenPngSource(pictureFile, in)
                      : OpenTgaSource(pictureFile, &module.TgaHeader, in);
    if (!source) {
        result.refusal = RefusalOf(source.error());
        return result;
    }
    const auto write = [&result](std::int64_t at, std::span<const std::uint8_t> bytes) {
        const auto end = static_cast<std::size_t>(at) + bytes.size();
        if (result.gfp.size() < end)
            result.gfp.resize(end);
        std::copy(bytes.begin(), bytes.end(), result.gfp.begin() + at);
        return true;
    };
    try {
        if (auto status = WriteGfp(write, head, **source, packing); !status) {
            Error error = status.error();
            error.file = pictureFile;
            result.refusal = RefusalOf(error);
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.refusal = RefusalOf(Error{IoError::OutOfMemory, pictureFile, {}, {}});
        return result;
    }
    module.GfpPictureHeader = head.picture;
    module.GfpPixelHeader = head.pixel;
    result.ok = true;
    return result;
}

std::vector<std::int64_t> ItemDataLengths(const Path& archive, const ArchiveModel& model)
{
    std::vector<std::int64_t> lengths;
    InputFile in;
    if (!in.Open(archive))
        return lengths;
    ExtractResult unused;
    lengths.reserve(model.items.size());
    for (std::size_t i = 0; i < model.items.size(); ++i)
        lengths.push_back(PlanItem(in, model, i, unused).data.length);
    return lengths;
}

ItemGfp ReadItemGfp(const Path& archive, const ArchiveModel& model, std::size_t index)
{
    ItemGfp result;
    if (index >= model.items.size()) {
        result.refusal = Because(archive, Label(index) + ": Kein solcher Eintrag");
        return result;
    }
    const ArchiveItem& item = model.items[index];
    if (item.entry.itemDataType != kItemTypePicture) {
        result.refusal = Because(archive, Label(index) + " ist kein Bild, sondern " +
                                              ItemTypeLabel(item.entry.itemDataType));
        return result;
    }
    if (!item.inFile) {
        result.refusal = Because(archive, Label(index) + ": " + Describe(ExtractError::BadItemOffset));
        return result;
    }
    InputFile in;
    if (!in.Open(archive)) {
        result.refusal = Because(archive, Describe(ResError::CannotOpen) + ": " + SystemReason(in.error()));
        return result;
    }
    std::string reason;
    const std::int64_t offset = item.entry.itemDataOffset;
    if (!ReadGfp(in, offset, in.Size() - offset, result.gfp, reason)) {
        result.gfp.clear();
        result.refusal = Because(archive, Label(index) + ": " + reason);
        return result;
    }
    result.ok = true;
    return result;
}

ReplaceResult ReplaceItem(Module1& module, const Path& archive, const std::string& itemText,
                          const Path& picture, GfpPacking packing)
{
    // Held from the read to the rename, so that no other writer's update is lost.
    Rewrite rewrite;
    if (!rewrite.Begin(archive)) {
        ReplaceResult result;
        result.refusal = RewriteRefusal(rewrite, archive);
        return result;
    }
    ArchiveModel model;
    if (auto status = ReadArchive(module, rewrite.Target(), model); !status)
        return Refused<ReplaceResult>(archive, ArchiveReason(status));
    std::string reason;
    const std::optional<std::size_t> found = FindItem(model, itemText, reason);
    if (!found)
        return Refused<ReplaceResult>(archive, reason);
    const std::size_t index = *found;
    const ArchiveItem& item = model.items[index];
    if (item.entry.itemDataType != kItemTypePicture)
        return Refused<ReplaceResult>(archive, Label(index) + " ist kein Bild, sondern " +
                                                   ItemTypeLabel(item.entry.itemDataType));
    InputFile in;
    if (!in.Open(rewrite.Target()))
        return Refused<ReplaceResult>(archive,
                                      ArchiveReason(Error{ResError::CannotOpen, archive, in.error(), {}}));

    Bytes data;
    {
        InputFile source;
        if (!source.Open(picture))
            return Refused<ReplaceResult>(picture, Describe(ResError::CannotOpen) + ": " +
                                                       SystemReason(source.error()));
        std::array<std::uint8_t, kGfpTagSize> tag{};
        if (source.ReadSomeAt(0, tag) == tag.size() && tag == kGfpTag) {
            if (!ReadGfp(source, 0, source.Size(), data, reason))
                return Refused<ReplaceResult>(picture, reason);
            // Taken as it is, so zlib itself must read it as the game will.
            if (const GfpError error = CheckGfpPixels(source, 0, static_cast<std::int64_t>(data.size()));
                error != GfpError::None)
                return Refused<ReplaceResult>(picture, Describe(error));
        } else {
            Bytes itemGfp;
            const std::int64_t offset = item.entry.itemDataOffset;
            if (!item.inFile || !ReadGfp(in, offset, model.fileSize - offset, itemGfp, reason))
                return Refused<ReplaceResult>(
                    archive, Label(index) +
                                 ": Das Bild im Archiv ist beschädigt, seine "
                                 "Kopfblöcke lassen sich nicht übernehmen (" +
                                 (item.inFile ? reason : Describe(ExtractError::BadItemOffset)) + ")");
            ItemGfp converted = ConvertPictureIntoItemGfp(module, itemGfp, picture, packing);
            if (!converted.ok) {
                ReplaceResult result;
                result.refusal = converted.refusal;
                return result;
            }
            data = std::move(converted.gfp);
        }
    }

    ReplaceResult result;
    result.index = static_cast<std::int32_t>(index);
    const auto length = static_cast<std::int64_t>(data.size());
    result.inPlace = item.inFile && !item.shared && !model.OverlapsTables(index) && length <= item.extent;
    const std::int64_t at = result.inPlace ? item.entry.itemDataOffset : model.fileSize;
    if (at > INT32_MAX)
        return Refused<ReplaceResult>(archive,
                                      "Das Archiv ist zu groß, um Daten anzuhängen (32-Bit-Offsets)");
    result.offset = static_cast<std::int32_t>(at);

    AtomicFile& out = rewrite.File();
    if (!CopyInto(in, model.fileSize, out) && !out.error())
        return Refused<ReplaceResult>(archive, CannotRead(in.error()));
    out.WriteAt(at, data);
    if (result.inPlace) {
        const Bytes zeros(static_cast<std::size_t>(std::min<std::int64_t>(item.extent - length, kChunk)), 0);
        for (std::int64_t from = at + length; from < at + item.extent;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(at + item.extent - from, kChunk));
            out.WriteAt(from, std::span(zeros.data(), n));
            from += static_cast<std::int64_t>(n);
        }
    } else {
        std::array<std::uint8_t, 4> entry{};
        PutLe32(entry.data(), result.offset);
        out.WriteAt(model.tables.offset + static_cast<std::int64_t>(index * kResEntrySize) + 4, entry);
    }
    if (out.error())
        return Refused<ReplaceResult>(archive, CannotWrite(out.error()));
    if (!rewrite.Commit()) {
        result.refusal = RewriteRefusal(rewrite, archive);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace varnox::jobs
