#include "jobs/sidepicture.h"

#include "formats/gfp.h"
#include "formats/picture.h"
#include "formats/png.h"
#include "formats/tga.h"
#include "jobs/report.h"

#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <zlib.h>

namespace varnox::jobs {

namespace {

constexpr std::string_view kGfpExtension = ".gfp";
constexpr std::size_t kPiece = 1 << 20;

std::uint32_t Crc(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint32_t>(::crc32_z(crc, bytes.data(), bytes.size()));
}

// Hands on the rows of a source as they are, keeping the CRC-32 of their RGB565 form.
class SummingSource final : public RowSource {
  public:
    explicit SummingSource(RowSource& inner) : inner_(inner)
    {
        narrowed_.resize(static_cast<std::size_t>(inner.Info().width) * BytesPerPixel(RowFormat::Rgb565));
    }
    const PictureInfo& Info() const override { return inner_.Info(); }
    Status ReadRow(std::span<std::uint8_t> row) override
    {
        if (auto status = inner_.ReadRow(row); !status)
            return status;
        std::span<const std::uint8_t> rgb565 = row;
        if (Info().format != RowFormat::Rgb565) {
            ConvertRow(Info().format, row, RowFormat::Rgb565, narrowed_.data());
            rgb565 = narrowed_;
        }
        sum_ = Crc(sum_, rgb565);
        return {};
    }
    // Reads the rows not yet read.
    Status ReadRest()
    {
        Bytes row(Info().RowBytes());
        while (rows_++ < Info().height)
            if (auto status = ReadRow(row); !status)
                return status;
        return {};
    }
    std::uint32_t sum() const { return sum_; }

  private:
    RowSource& inner_;
    Bytes narrowed_;
    std::uint32_t sum_ = 0;
    std::int32_t rows_ = 0;
};

// The CRC-32 of the file name of folder, read a piece at a time; false when it cannot be read.
bool SumFile(const Folder& folder, const std::string& name, std::uint32_t& sum, std::error_code& error)
{
    InputFile in;
    if (!in.OpenIn(folder, name)) {
        error = in.error();
        return false;
    }
    Bytes piece(static_cast<std::size_t>(std::min<std::int64_t>(in.Size(), kPiece)));
    sum = 0;
    for (std::int64_t at = 0; at < in.Size();) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(in.Size() - at, kPiece));
        if (!in.ReadAt(at, std::span(piece.data(), n))) {
            error = in.error() ? in.error() : std::make_error_code(std::errc::io_error);
            return false;
        }
        sum = Crc(sum, std::span(piece.data(), n));
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

// The CRC-32 of the RGB565 rows of the picture file of folder.
Result<std::uint32_t> SumPixels(const Folder& folder, const Path& file)
{
    auto source = OpenPictureSource(file, &folder);
    if (!source)
        return source.error();
    SummingSource summing(**source);
    if (auto status = summing.ReadRest(); !status) {
        Error error = status.error();
        if (error.file.empty())
            error.file = file;
        return error;
    }
    return summing.sum();
}

SideChoice Refused(const Error& error)
{
    SideChoice choice;
    choice.refusal = RefusalOf(error);
    return choice;
}

// The picture beside gfpFile: its name, empty when there is none; refuses one that is no
// regular file.
std::optional<std::string> FindSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile,
                                           SideChoice& refused)
{
    for (const SidePicture kind : {SidePicture::Png, SidePicture::Tga}) {
        const std::string name = SidePictureName(gfpFile, kind);
        struct stat st {};
        if (name.empty() || ::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(st.st_mode)) {
            refused = Refused(Error{S_ISLNK(st.st_mode) ? JobError::LinkNotPacked : JobError::NotRegularFile,
                                    path / name,
                                    {},
                                    {}});
            return std::nullopt;
        }
        return name;
    }
    return std::string();
}

} // namespace

std::string SidePictureName(const std::string& gfpFile, SidePicture kind)
{
    if (kind == SidePicture::None || gfpFile.size() <= kGfpExtension.size() ||
        FoldNameCase(gfpFile.substr(gfpFile.size() - kGfpExtension.size())) != kGfpExtension)
        return {};
    return gfpFile.substr(0, gfpFile.size() - kGfpExtension.size()) +
           (kind == SidePicture::Png ? ".png" : ".tga");
}

Status WriteSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile, SidePicture kind,
                        PictureChecksum& sums)
{
    const std::string name = SidePictureName(gfpFile, kind);
    std::error_code error;
    if (name.empty() || !SumFile(folder, gfpFile, sums.gfp, error))
        return Error{IoError::CannotRead, path / gfpFile, error, {}};
    try {
        auto source = OpenGfpSource(path / gfpFile, nullptr, &folder);
        if (!source)
            return source.error();
        SummingSource summing(**source);
        AtomicFile out;
        if (!out.Open(folder, name))
            return Error{IoError::CannotWrite, path / name, out.error(), {}};
        const std::unique_ptr<RowSink> sink = kind == SidePicture::Png ? MakePngSink(out) : MakeTgaSink(out);
        if (auto status = CopyRows(summing, *sink); !status) {
            if (out.error())
                return Error{IoError::CannotWrite, path / name, out.error(), {}};
            Error failed = status.error();
            if (failed.file.empty())
                failed.file = path / gfpFile;
            return failed;
        }
        if (!out.Commit(Flush::ByCaller))
            return Error{IoError::CannotWrite, path / name, out.error(), {}};
        sums.pixels = summing.sum();
    } catch (const std::bad_alloc&) {
        return Error{IoError::OutOfMemory, path / gfpFile, {}, {}};
    }
    return {};
}

SideChoice ChooseSidePicture(const Folder& folder, const Path& path, const ManifestItem& item,
                             const std::string& label)
{
    SideChoice choice;
    const std::optional<std::string> picture = FindSidePicture(folder, path, item.file, choice);
    if (!picture)
        return choice;
    choice.ok = true;
    if (picture->empty())
        return choice;
    try {
        Result<std::uint32_t> pixels = SumPixels(folder, path / *picture);
        if (!pixels)
            return Refused(pixels.error());
        bool gfpChanged = true;
        if (item.checksum) {
            std::uint32_t sum = 0;
            std::error_code error;
            if (!SumFile(folder, item.file, sum, error))
                return Refused(Error{IoError::CannotRead, path / item.file, error, {}});
            gfpChanged = sum != item.checksum->gfp;
            if (*pixels == item.checksum->pixels)
                return choice; // the picture as extract wrote it
        }
        Result<std::uint32_t> gfpPixels = SumPixels(folder, path / item.file);
        if (gfpPixels && *gfpPixels == *pixels)
            return choice; // both show the same picture
        if (item.checksum && gfpChanged)
            return Refused(Error{JobError::BothChanged,
                                 path / *picture,
                                 {},
                                 {},
                                 {label, DisplayFileName(item.file), DisplayFileName(*picture)}});
        choice.picture = *picture;
    } catch (const std::bad_alloc&) {
        return Refused(Error{IoError::OutOfMemory, path / *picture, {}, {}});
    }
    return choice;
}

ItemGfp ConvertSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile,
                           const std::string& picture, GfpPacking packing)
{
    ItemGfp result;
    InputFile in;
    if (!in.OpenIn(folder, gfpFile)) {
        result.refusal = RefusalOf(Error{IoError::CannotOpen, path / gfpFile, in.error(), {}});
        return result;
    }
    // The head is all that is kept of the GFP; a picture's head lies in its first bytes.
    Bytes head(static_cast<std::size_t>(std::min<std::int64_t>(in.Size(), kGfpPayloadAt)));
    if (!in.ReadAt(0, head)) {
        result.refusal = RefusalOf(Error{IoError::CannotRead, path / gfpFile, in.error(), {}});
        return result;
    }
    return ConvertPictureIntoItemGfp(head, path / picture, packing, &folder);
}

} // namespace varnox::jobs
