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

// A job's refusal of file, with the names and numbers its text takes.
Error Because(const Path& file, JobError code, std::vector<std::string> args = {});

// A job's result that failed with error.
template <class Result> Result Refused(const Error& error)
{
    Result result;
    result.status = error;
    return result;
}

// The text of a job's reason in the user's language, for the notes a report or manifest holds.
std::string Reason(JobError code, std::vector<std::string> args = {});

// A write or read of file that failed with the system's error (an I/O error when none).
Error WriteFailed(const Path& file, const std::error_code& error);
Error ReadFailed(const Path& file, const std::error_code& error);
// An archive's refusal as the jobs give it: one that is no RES is "Keine gültige RES-File".
Error ArchiveError(Error error);
// "#N"
std::string Label(std::size_t index);
// The failure of a rewrite of archive that did not go through.
Error RewriteError(const Rewrite& rewrite, const Path& archive);
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
