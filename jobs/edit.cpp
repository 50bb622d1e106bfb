#include "jobs/edit.h"
#include "jobs/items.h"

#include "formats/gfp.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "formats/res.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox::jobs {

namespace {

constexpr char kOriginalName[] = "original.gfp";

EditStart Refused(Error error)
{
    EditStart start;
    start.status = std::move(error);
    return start;
}

// Writes bytes as the file name in folder, whole or not at all.
Status WriteInto(const Path& folder, const std::string& name, std::span<const std::uint8_t> bytes)
{
    const Path file = folder / name;
    Folder held;
    AtomicFile out;
    if (!held.Open(folder) || !out.Open(held, name) || !out.Write({bytes}) || !out.Commit(Flush::ByCaller))
        return Error{IoError::CannotWrite, file, held.error() ? held.error() : out.error(), {}};
    return {};
}

// Writes the picture of the GFP gfp (the bytes of the file named gfp) as the PNG name in
// folder, whole or not at all.
Status WritePng(std::span<const std::uint8_t> bytes, const Path& gfp, const Path& folder,
                const std::string& name)
{
    auto source = OpenGfpSource(bytes);
    if (!source)
        return OnFile(source.error(), gfp);
    const Path file = folder / name;
    Folder held;
    AtomicFile out;
    if (!held.Open(folder) || !out.Open(held, name))
        return Error{IoError::CannotWrite, file, held.error() ? held.error() : out.error(), {}};
    const std::unique_ptr<RowSink> sink = MakePngSink(out);
    if (auto status = CopyRows(**source, *sink); !status) {
        Error error = status.error();
        if (out.error())
            error = Error{IoError::CannotWrite, file, out.error(), {}};
        else if (error.file.empty())
            error.file = gfp;
        return error;
    }
    if (!out.Commit(Flush::ByCaller))
        return Error{IoError::CannotWrite, file, out.error(), {}};
    return {};
}

// The file name of item index: its own name where that is safe, else its number. A name
// past 200 bytes takes its number too, so that the name and its extension stay well within
// the system's 255 bytes.
std::string ItemFileName(const std::string& itemName, std::size_t index, const std::string& extension)
{
    if (IsUnsafeFileName(itemName) || itemName.size() > 200)
        return "eintrag" + std::to_string(index) + extension;
    return itemName + extension;
}

// Refuses a file that could not be written back after the user's work: one that this user
// may not write or that is write-protected, or one in a folder where no file can be made.
Status CheckWritable(const Path& file)
{
    Path target;
    std::error_code error;
    if (!FollowLinks(file, target, error))
        return Error{IoError::CannotOpen, file, error, {}};
    const auto lastError = [] { return std::error_code(errno, std::generic_category()); };
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return Error{IoError::CannotOpen, file, lastError(), {}};
    if ((info.st_mode & 0222) == 0)
        return Error{IoError::CannotReplace, file, std::make_error_code(std::errc::permission_denied), {}};
    if (::access(target.c_str(), W_OK) != 0)
        return Error{IoError::CannotReplace, file, lastError(), {}};
    const Path folder = target.has_parent_path() ? target.parent_path() : Path(".");
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return Error{IoError::CannotReplace, file, lastError(), {}};
    return {};
}

// Writes the GFP of the archive's item index as the session's original; gives its bytes.
Result<Bytes> WriteOriginal(InputFile& archive, const EditSession& session, const ArchiveModel& model,
                            std::size_t index)
{
    ItemGfp item = ReadItemGfp(archive, session.source, model, index);
    if (!item.status)
        return item.status.error();
    if (Status written = WriteInto(session.original.parent_path(), kOriginalName, item.gfp); !written)
        return written.error();
    return std::move(item.gfp);
}

} // namespace

EditFolder::~EditFolder()
{
    if (kept_ || path_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Status EditFolder::Make(const Path& base, const std::string& prefix)
{
    std::string pattern = (base / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return Error{IoError::CannotWrite, base, std::error_code(errno, std::generic_category()), {}};
    path_ = pattern;
    return {};
}

EditStart StartItemEdit(const Path& archive, const std::string& item, const Path& folder)
{
    if (auto status = CheckWritable(archive); !status)
        return Refused(status.error());
    // Taken before the read: a change made meanwhile then shows as one when the picture comes back.
    const FileIdentity handedOut = IdentityOf(archive);
    // Opened once: the item is read from the version whose directory was read.
    InputFile file;
    if (!file.Open(archive))
        return Refused(Error{ResError::CannotOpen, archive, file.error(), {}});
    ArchiveModel model;
    Module1 module;
    if (auto status = ReadArchive(module, file, archive, model); !status)
        return Refused(status.error());
    const Result<std::size_t> index = FindItem(model, item);
    if (!index)
        return Refused(OnFile(index.error(), archive));
    EditStart start;
    start.records = ArchiveRecords(module);
    EditSession& session = start.session;
    session.source = archive;
    session.index = static_cast<std::int32_t>(*index);
    session.itemName = Latin1ToUtf8(ItemName(model.items[*index].entry));
    session.original = folder / kOriginalName;
    session.png = folder / ItemFileName(session.itemName, *index, ".png");
    session.handedOut = handedOut;
    const Result<Bytes> original = WriteOriginal(file, session, model, *index);
    if (!original)
        return Refused(original.error());
    // The picture is made from the bytes in hand, as the original holds them.
    if (auto status = WritePng(*original, archive, folder, start.session.png.filename().string()); !status)
        return Refused(status.error());
    start.session.pngWritten = IdentityOf(start.session.png);
    return start;
}

// Copies the GFP gfp as the session's original into folder; the picture is then made from
// that copy, so the saved picture is compared with what was handed out, whatever happens to
// the GFP meanwhile.
Result<Bytes> CopyOriginal(const Path& gfp, const Path& folder)
{
    Bytes bytes;
    std::error_code error;
    if (!ReadWholeFile(gfp, bytes, error))
        return Error{IoError::CannotRead, gfp, error, {}};
    if (Status written = WriteInto(folder, kOriginalName, bytes); !written)
        return written.error();
    return bytes;
}

EditStart StartGfpEdit(const Path& gfp, const Path& folder)
{
    if (auto status = CheckWritable(gfp); !status)
        return Refused(status.error());
    EditStart start;
    start.session.source = gfp;
    start.session.original = folder / kOriginalName;
    start.session.png = folder / gfp.filename();
    start.session.png.replace_extension(".png");
    start.session.handedOut = IdentityOf(gfp);
    try {
        const Result<Bytes> original = CopyOriginal(gfp, folder);
        if (!original)
            return Refused(original.error());
        if (auto status = WritePng(*original, gfp, folder, start.session.png.filename().string()); !status)
            return Refused(status.error());
    } catch (const std::bad_alloc&) {
        return Refused(Error{IoError::OutOfMemory, gfp, {}, {}});
    }
    start.session.pngWritten = IdentityOf(start.session.png);
    return start;
}

namespace {

// Compares the rows of original (RGB565) and saved (narrowed to RGB565); check holds the sizes.
Status ComparePictures(RowSource& original, RowSource& saved, EditCheck& check)
{
    const PictureInfo& a = original.Info();
    const PictureInfo& b = saved.Info();
    check.oldWidth = a.width;
    check.oldHeight = a.height;
    check.newWidth = b.width;
    check.newHeight = b.height;
    check.state = EditState::Changed;
    if (check.SizeChanged())
        return {};
    Bytes rowA(a.RowBytes());
    Bytes rowB(b.RowBytes());
    Bytes narrowed(static_cast<std::size_t>(a.width) * BytesPerPixel(RowFormat::Rgb565));
    for (std::int32_t y = 0; y < a.height; ++y) {
        if (auto status = original.ReadRow(rowA); !status)
            return status;
        if (auto status = saved.ReadRow(rowB); !status)
            return status;
        std::span<const std::uint8_t> compared = rowB;
        if (b.format != RowFormat::Rgb565) {
            ConvertRow(b.format, rowB, RowFormat::Rgb565, narrowed.data());
            compared = narrowed;
        }
        if (!std::equal(rowA.begin(), rowA.end(), compared.begin(), compared.end()))
            return {};
    }
    check.state = EditState::Unchanged;
    return {};
}

EditCheck CheckPictures(const EditSession& session)
{
    EditCheck check;
    auto saved = OpenPngSource(session.png);
    if (!saved) {
        check.state = EditState::Unreadable;
        check.status = saved.error();
        return check;
    }
    auto original = OpenGfpSource(session.original);
    if (!original) {
        check.status = original.error();
        return check;
    }
    if (auto status = ComparePictures(**original, **saved, check); !status) {
        // A PNG that fails in its rows is no picture; the original was read before.
        Error error = status.error();
        if (error.file.empty())
            error.file = session.png;
        check.state = error.file == session.original ? EditState::Unchanged : EditState::Unreadable;
        check.status = error;
    }
    return check;
}

} // namespace

EditCheck CheckEdit(const EditSession& session)
{
    try {
        return CheckPictures(session);
    } catch (const std::bad_alloc&) {
        EditCheck check;
        check.status = Error{IoError::OutOfMemory, session.png, {}, {}};
        return check;
    }
}

namespace {

// The GFP file's picture put back; the session's original then holds the GFP as written.
void ApplyToGfp(EditSession& session, GfpPacking packing, const WriteGuard& guard, JobProgress* progress,
                EditResult& result)
{
    const TgaToGfpResult converted =
        ConvertPictureToGfp(session.png, PictureFormat::Png, session.source, packing, progress, guard);
    result.status = converted.status;
    result.records = converted.records;
    if (!converted.status)
        return;
    session.handedOut = converted.written;
    ++session.saves;
    // Should the copy fail, the next save is compared with the older picture: at worst an
    // unchanged picture is taken back once more.
    (void)CopyOriginal(session.source, session.original.parent_path()).status();
}

// The item's picture put back, into the item as it was handed out and under its name then.
void ApplyToItem(EditSession& session, GfpPacking packing, const WriteGuard& guard, EditResult& result)
{
    result.replaced =
        ReplaceItem(session.source, "#" + std::to_string(session.index), session.png, packing, guard);
    result.records = result.replaced.records;
    result.status = result.replaced.status;
    if (!result.status)
        return;
    session.handedOut = result.replaced.written;
    ++session.saves;
    // The next save is compared with the picture the item holds now.
    InputFile file;
    ArchiveModel model;
    if (Module1 module; file.Open(session.source) && ReadArchive(module, file, session.source, model).ok()) {
        Overlay(result.records, ArchiveRecords(module));
        // Should the copy fail, the next save is compared with the older picture, as for a GFP.
        (void)WriteOriginal(file, session, model, static_cast<std::size_t>(session.index)).status();
    }
}

} // namespace

EditResult ApplyEdit(EditSession& session, GfpPacking packing, JobProgress* progress)
{
    EditResult result;
    WriteGuard guard;
    guard.expected = session.handedOut;
    // The first save's backup is the original; later saves of the session keep it.
    guard.backup = session.saves > 0 ? Backup::KeepFirst : Backup::Make;
    if (session.index < 0)
        ApplyToGfp(session, packing, guard, progress, result);
    else
        ApplyToItem(session, packing, guard, result);
    result.session = session;
    return result;
}

} // namespace varnox::jobs

namespace varnox::jobs {

std::optional<PictureSize> SizeOfPicture(const Path& file)
{
    auto source = OpenPictureSource(file);
    if (!source)
        return std::nullopt;
    return PictureSize{(*source)->Info().width, (*source)->Info().height};
}

std::optional<PictureSize> SizeOfItemPicture(const Path& archive, const ArchiveModel& model,
                                             std::size_t index)
{
    const ItemGfp item = ReadItemGfp(archive, model, index);
    const auto head =
        item.status ? ParseGfpHead(item.gfp) : Result<GfpHead>(Error{GfpError::FirstTag, {}, {}, {}});
    if (!head)
        return std::nullopt;
    return PictureSize{head.value().pixel.width(), head.value().pixel.height()};
}

namespace {

Result<Path> WriteItemPng(const Path& archive, const ArchiveModel& model, std::size_t index,
                          const Path& folder, const std::string& name)
{
    const ItemGfp item = ReadItemGfp(archive, model, index);
    if (!item.status)
        return item.status.error();
    // The PNG is made from the item's GFP as read, in memory.
    if (const Status written = WritePng(item.gfp, archive, folder, name); !written)
        return written.error();
    return folder / name;
}

} // namespace

Result<Path> WriteItemFile(const Path& archive, const ArchiveModel& model, std::size_t index,
                           const Path& folder)
{
    if (index >= model.items.size())
        return Error{ExtractError::BadItemOffset, archive, {}, {}};
    const ArchiveItem& item = model.items[index];
    const std::string itemName = Latin1ToUtf8(ItemName(item.entry));
    try {
        if (item.entry.itemDataType == kItemTypePicture)
            return WriteItemPng(archive, model, index, folder, ItemFileName(itemName, index, ".png"));
        const std::string name = ItemFileName(itemName, index, TypeExtension(item.entry.itemDataType));
        Bytes bytes(static_cast<std::size_t>(item.inFile ? item.extent : 0));
        InputFile in;
        if (!in.Open(archive) || !in.ReadAt(item.entry.itemDataOffset, bytes))
            return Error{IoError::CannotRead, archive, in.error(), {}};
        if (auto status = WriteInto(folder, name, bytes); !status)
            return status.error();
        return folder / name;
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, archive, {}, {}};
    }
}

} // namespace varnox::jobs
