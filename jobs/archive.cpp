#include "jobs/archive.h"

#include "formats/gfp_length.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "jobs/report.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

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

struct ItemPlan {
    ByteRange data;        // the bytes written to the item's file
    std::int64_t fill = 0; // bytes of the extent after them
    std::string file;
};

bool AllZero(const Bytes& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

bool ReadFill(InputFile& file, const ByteRange& range, Fill& fill)
{
    fill = {range.length, {}};
    if (range.length <= 0) {
        fill.length = 0;
        return true;
    }
    Bytes bytes(static_cast<std::size_t>(range.length));
    if (!file.ReadAt(range.offset, bytes))
        return false;
    if (!AllZero(bytes))
        fill.bytes = std::move(bytes);
    return true;
}

// The bytes an item's file gets: a picture's own GFP length (as unpack copies it) or, for a
// damaged picture and every other type, its extent.
ItemPlan PlanItem(InputFile& file, const ArchiveModel& model, std::size_t index, ExtractResult& result)
{
    const ArchiveItem& item = model.items[index];
    const std::int64_t offset = item.entry.itemDataOffset;
    ItemPlan plan;
    plan.data = {offset, item.extent};
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

std::string FoldCase(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return name;
}

// File names for every item: its name and its type's extension where that is safe and not
// yet taken (ASCII case ignored, so that the folder survives a case-blind file system);
// "name~2" for a later item of a taken name; "eintrag-N" for a name that is no file name.
void NameFiles(const ArchiveModel& model, std::vector<ItemPlan>& plans, ExtractResult& result)
{
    std::set<std::string> taken = {kManifestName};
    std::vector<std::size_t> later;
    const auto take = [&](std::size_t i, const std::string& file) {
        if (file.size() > kMaxFileName || !taken.insert(FoldCase(file)).second)
            return false;
        plans[i].file = file;
        return true;
    };
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const std::string_view name = ItemName(model.items[i].entry);
        const std::string extension = TypeExtension(model.items[i].entry.itemDataType);
        if (IsUnsafeFileName(name) || !take(i, Latin1ToUtf8(name) + extension))
            later.push_back(i);
    }
    for (const std::size_t i : later) {
        const std::string_view name = ItemName(model.items[i].entry);
        const std::string extension = TypeExtension(model.items[i].entry.itemDataType);
        const bool safe = !IsUnsafeFileName(name);
        const std::string stem = Latin1ToUtf8(name);
        const auto numbered = [&](std::string base, int k) {
            base.append("~").append(std::to_string(k)).append(extension);
            return base;
        };
        bool named = false;
        for (int k = 2; safe && !named && stem.size() + extension.size() + 12 <= kMaxFileName; ++k)
            named = take(i, numbered(stem, k));
        const std::string fallback = "eintrag-" + std::to_string(i);
        named = named || take(i, fallback + extension);
        for (int k = 2; !named; ++k)
            named = take(i, numbered(fallback, k));
        std::string note = Label(i);
        note += safe && stem.size() + extension.size() <= kMaxFileName ? ": Name schon vergeben, als \""
                                                                       : ": Der Name taugt nicht als Dateiname, als \"";
        note += plans[i].file;
        note += "\" geschrieben";
        result.notes.push_back(std::move(note));
    }
}

// Where the directory lies among the items, and what of the layout a pack of the manifest
// would not give back.
void PlanLayout(const ArchiveModel& model, const std::vector<ItemPlan>& plans, Manifest& manifest,
                ExtractResult& result)
{
    const std::int64_t directory = model.tables.offset;
    const auto header = static_cast<std::int64_t>(kResHeaderSize);
    if (directory < header)
        result.notKept.emplace_back("Das Verzeichnis überlappt den Dateikopf");
    manifest.directoryAt = plans.size();
    std::int64_t previous = -1;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const ArchiveItem& item = model.items[i];
        const std::int64_t offset = item.entry.itemDataOffset;
        if (item.inFile && offset > directory && manifest.directoryAt == plans.size())
            manifest.directoryAt = i;
        if (!item.inFile)
            continue;
        if (model.OverlapsTables(i))
            result.notKept.push_back(Label(i) + ": Die Daten überlappen Dateikopf oder Verzeichnis");
        else if (item.shared)
            result.notKept.push_back(Label(i) + ": teilt seine Daten mit einem anderen Eintrag");
        else if (offset <= previous)
            result.notKept.push_back(Label(i) + ": Die Daten liegen vor denen eines früheren Eintrags");
        previous = std::max(previous, offset);
    }
    if (!result.notKept.empty())
        return;

    // Everything above holds: the pack of the manifest must lay out every part where it was.
    std::int64_t at = header + manifest.afterHeader.length;
    bool same = true;
    for (std::size_t i = 0; i <= plans.size(); ++i) {
        if (i == manifest.directoryAt) {
            same = same && at == directory;
            at += model.tables.length + manifest.afterDirectory.length;
        }
        if (i == plans.size())
            break;
        same = same && at == model.items[i].entry.itemDataOffset;
        at += plans[i].data.length + plans[i].fill;
    }
    if (!same || at != model.fileSize)
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
                             const std::vector<std::size_t>& only)
{
    ArchiveModel model;
    if (auto status = ReadArchive(module, archive, model); !status)
        return Refused<ExtractResult>(archive, ArchiveReason(status));
    InputFile file;
    if (!file.Open(archive))
        return Refused<ExtractResult>(archive, ArchiveReason(Error{ResError::CannotOpen, archive, file.error(), {}}));

    ExtractResult result;
    Manifest manifest;
    std::vector<ItemPlan> plans;
    plans.reserve(model.items.size());
    for (std::size_t i = 0; i < model.items.size(); ++i)
        plans.push_back(PlanItem(file, model, i, result));
    NameFiles(model, plans, result);

    // The bytes between the parts, for the manifest.
    std::int64_t afterTables = model.fileSize;
    for (const ArchiveItem& item : model.items)
        if (item.inFile && item.entry.itemDataOffset >= model.tables.end())
            afterTables = std::min<std::int64_t>(afterTables, item.entry.itemDataOffset);
    bool read = model.tables.offset < static_cast<std::int64_t>(kResHeaderSize) ||
                ReadFill(file, model.afterHeader, manifest.afterHeader);
    read = read &&
           ReadFill(file, {model.tables.end(), afterTables - model.tables.end()}, manifest.afterDirectory);
    manifest.items.resize(plans.size());
    for (std::size_t i = 0; i < plans.size() && read; ++i) {
        ManifestItem& line = manifest.items[i];
        line.type = model.items[i].entry.itemDataType;
        line.file = plans[i].file;
        const NameField& field = model.items[i].entry.itemName;
        if (NameFieldFromFile(line.file, line.type) != field)
            line.nameField = field;
        read = ReadFill(file, {plans[i].data.end(), plans[i].fill}, line.fill);
    }
    if (!read)
        return Refused<ExtractResult>(archive, CannotRead(file.error()));
    PlanLayout(model, plans, manifest, result);
    result.status = manifest.status = StatusLine(result.notKept);

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error))
        return Refused<ExtractResult>(
            folder, "Der Ordner kann nicht angelegt werden: " +
                        SystemReason(error ? error : std::make_error_code(std::errc::not_a_directory)));
    // In its own folder the archive would be replaced by an item file or the manifest of its name.
    if (std::filesystem::equivalent(folder, archive.has_parent_path() ? archive.parent_path() : Path("."),
                                    error)) {
        const std::string own = FoldCase(archive.filename().string());
        if (own == FoldCase(kManifestName) ||
            std::any_of(plans.begin(), plans.end(),
                        [&](const ItemPlan& plan) { return FoldCase(plan.file) == own; }))
            return Refused<ExtractResult>(archive, "Ein Eintrag hätte im Zielordner den Namen des Archivs");
    }
    std::vector<bool> wanted(plans.size(), only.empty());
    for (const std::size_t i : only)
        if (i < wanted.size())
            wanted[i] = true;
    Bytes data;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (!wanted[i])
            continue;
        data.resize(static_cast<std::size_t>(plans[i].data.length));
        if (!data.empty() && !file.ReadAt(plans[i].data.offset, data)) {
            result.refusal = Because(archive, CannotRead(file.error()));
            return result;
        }
        if (!WriteFileAtomically(folder / plans[i].file, {std::span<const std::uint8_t>(data)}, error)) {
            result.refusal = Because(folder / plans[i].file, CannotWrite(error));
            return result;
        }
        ++result.written;
    }
    if (!only.empty()) {
        result.status = "Auswahl, ohne archive.txt";
        result.ok = true;
        return result;
    }
    const std::string text = WriteManifest(manifest);
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!WriteFileAtomically(folder / kManifestName, {bytes}, error)) {
        result.refusal = Because(folder / kManifestName, CannotWrite(error));
        return result;
    }
    result.ok = true;
    return result;
}

// ---- pack ----

PackResult PackArchive(const Path& folder, const Path& archive)
{
    const Path manifestPath = folder / kManifestName;
    Manifest manifest;
    {
        InputFile in;
        if (!in.Open(manifestPath))
            return Refused<PackResult>(manifestPath,
                                       Describe(ResError::CannotOpen) + ": " + SystemReason(in.error()));
        if (in.Size() > kMaxManifestSize)
            return Refused<PackResult>(manifestPath, "Die Beschreibung ist größer als 64 MiB");
        std::string text(static_cast<std::size_t>(in.Size()), '\0');
        if (!in.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())))
            return Refused<PackResult>(manifestPath, CannotRead(in.error()));
        const ManifestProblem problem = ParseManifest(text, manifest);
        if (problem.error != ManifestError::None)
            return Refused<PackResult>(
                manifestPath,
                (problem.line > 0 ? "Zeile " + std::to_string(problem.line) + ": " : std::string()) +
                    Describe(problem.error));
    }

    // Every file and name checked and every offset worked out before anything is written.
    const std::size_t count = manifest.items.size();
    std::vector<std::int64_t> sizes(count);
    Bytes tables(count * static_cast<std::size_t>(kTableEntrySize));
    for (std::size_t i = 0; i < count; ++i) {
        const ManifestItem& item = manifest.items[i];
        const Path path = folder / item.file;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return Refused<PackResult>(path, errno == ENOENT
                                                 ? std::string("Die Datei fehlt")
                                                 : Describe(ResError::CannotOpen) + ": " +
                                                       SystemReason({errno, std::generic_category()}));
        if (!S_ISREG(st.st_mode))
            return Refused<PackResult>(path, "Keine gewöhnliche Datei");
        sizes[i] = static_cast<std::int64_t>(st.st_size);
        const auto field = item.nameField ? item.nameField : NameFieldFromFile(item.file, item.type);
        if (!field)
            return Refused<PackResult>(path, "Der Dateiname gibt kein Namensfeld: mehr als 256 Zeichen oder "
                                             "Zeichen außerhalb von Latin-1");
        std::copy(field->begin(), field->end(),
                  tables.begin() + static_cast<std::ptrdiff_t>(count * kResEntrySize + i * kResNameSize));
    }
    std::int64_t at = static_cast<std::int64_t>(kResHeaderSize) + manifest.afterHeader.length;
    std::int64_t directory = 0;
    bool fits = true;
    for (std::size_t i = 0; i <= count; ++i) {
        if (i == std::min(manifest.directoryAt, count)) {
            directory = at;
            fits = fits && directory + static_cast<std::int64_t>(count * kResEntrySize) <= INT32_MAX;
            at += static_cast<std::int64_t>(count) * kTableEntrySize + manifest.afterDirectory.length;
        }
        if (i == count)
            break;
        fits = fits && at <= INT32_MAX;
        PutLe32(tables, i * kResEntrySize, manifest.items[i].type);
        PutLe32(tables, i * kResEntrySize + 4,
                static_cast<std::int32_t>(std::min<std::int64_t>(at, INT32_MAX)));
        at += sizes[i] + manifest.items[i].fill.length;
    }
    if (!fits || at > INT32_MAX)
        return Refused<PackResult>(archive, "Die Daten reichen über die 32-Bit-Offsets des Archivs hinaus");
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
    Bytes header(kResHeaderSize);
    std::copy_n("RESF", 4, header.begin());
    PutLe32(header, 4, static_cast<std::int32_t>(count));
    PutLe32(header, 8, static_cast<std::int32_t>(directory));
    bool ok = gather.Append(header) && gather.Append(manifest.afterHeader);
    for (std::size_t i = 0; i <= count && ok; ++i) {
        if (i == std::min(manifest.directoryAt, count))
            ok = gather.Append(tables) && gather.Append(manifest.afterDirectory);
        if (i == count || !ok)
            break;
        const Path path = folder / manifest.items[i].file;
        InputFile in;
        if (!in.Open(path))
            return Refused<PackResult>(path,
                                       Describe(ResError::CannotOpen) + ": " + SystemReason(in.error()));
        if (in.Size() != sizes[i])
            return Refused<PackResult>(path, "Die Datei hat sich während des Packens geändert");
        const auto size = static_cast<std::size_t>(sizes[i]);
        if (size < kChunk) {
            const std::span<std::uint8_t> room = gather.Reserve(size);
            ok = room.size() == size && (size == 0 || in.ReadAt(0, room));
        } else {
            Bytes data(size);
            ok = in.ReadAt(0, data) && gather.Append(data);
        }
        if (!ok && !out.error())
            return Refused<PackResult>(path, CannotRead(in.error()));
        ok = ok && gather.Append(manifest.items[i].fill);
    }
    ok = ok && gather.Flush();
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

namespace {

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
    Bytes chunk(static_cast<std::size_t>(std::min<std::int64_t>(size, kChunk)));
    for (std::int64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kChunk));
        const std::span<std::uint8_t> piece(chunk.data(), n);
        if (!in.ReadAt(at, piece) || !out.Write({piece}))
            return false;
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

} // namespace

ItemGfp ConvertPictureIntoItemGfp(Module1& module, const Bytes& itemGfp, const Path& pictureFile,
                                  GfpPacking packing)
{
    ItemGfp result;
    // The item's own head is kept, as tga2gfp keeps the target's.
    GfpHead head;
    if (const GfpError error = ParseGfpHead(itemGfp, head); error != GfpError::None) {
        result.refusal = RefusalOf(Error{error, pictureFile, {}, {}});
        return result;
    }
    auto source = PictureKindOf(pictureFile) == PictureKind::Png ? OpenPngSource(pictureFile)
                                                                 : OpenTgaSource(pictureFile, &module.TgaHeader);
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
        return Refused<ReplaceResult>(archive, ArchiveReason(Error{ResError::CannotOpen, archive, in.error(), {}}));

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
