// What extract, pack and replace share: refusals of their archive and files, item labels,
// and copying a range of a file into a new one.
#pragma once

#include "fileio/fileio.h"
#include "jobs/archive.h"

#include <string>
#include <system_error>
#include <vector>

namespace varnox::jobs {

inline constexpr std::size_t kChunk = 1 << 20;

Refusal Because(const Path& file, std::string reason);
// The refusal of file for a job's reason, with the names and numbers its text takes.
Refusal Because(const Path& file, JobError code, std::vector<std::string> args = {});

template <class Result> Result Refused(const Path& file, std::string reason)
{
    Result result;
    result.refusal = Because(file, std::move(reason));
    return result;
}

// The text of a job's reason in the user's language, for notes and refusals that add to it.
std::string Reason(JobError code, std::vector<std::string> args = {});

std::string CannotWrite(const std::error_code& error);
std::string CannotRead(const std::error_code& error);
// The reason an archive was refused; "Keine gültige RES-File" for one that is no RES.
std::string ArchiveReason(const Status& status);
// "#N"
std::string Label(std::size_t index);
// The refusal of a rewrite of archive that did not go through.
Refusal RewriteRefusal(const Rewrite& rewrite, const Path& archive);
// Where an item's file comes from in the archive.
struct ItemPlan {
    ByteRange data;        // the bytes written to the item's file
    std::int64_t fill = 0; // bytes of the extent after them
    std::string file;
    std::size_t owner = 0; // the first item whose data start where this one's do; itself if none
};

// The bytes an item's file gets: a picture's own GFP length (as unpack copies it) or, for a
// damaged picture and every other type, its extent.
ItemPlan PlanItem(InputFile& file, const ArchiveModel& model, std::size_t index, ExtractResult& result);

// Copies range of in to the end of out in pieces of a mebibyte at most, through chunk; with
// crc given, also gives the CRC-32 of the bytes copied.
bool CopyRange(InputFile& in, const ByteRange& range, AtomicFile& out, Bytes& chunk,
               std::uint32_t* crc = nullptr);

// The CRC-32 of bytes continued from crc (0 to start).
std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes);

} // namespace varnox::jobs
