#pragma once
// The records a job read, handed back with its result so that the window that owns the
// Module1 stores them on its own thread; a job reads into records of its own only.

#include "formats/gfp.h"
#include "formats/module1.h"

#include <optional>
#include <vector>

namespace varnox::jobs {

// A kind of file the job did not read (or not through) stays unset.
struct ReadRecords {
    std::optional<ResHeaderRecord> resHeader;
    std::optional<std::vector<ResItem>> resItems;
    std::optional<GfpHead> gfpHead;
    std::optional<TgaHeaderRecord> tgaHeader;
};

// The archive records module holds after reading one.
inline ReadRecords ArchiveRecords(const Module1& module)
{
    ReadRecords records;
    records.resHeader = module.ResHeader;
    records.resItems = module.ResItems;
    return records;
}

// later's records over earlier's, kind by kind.
inline void Overlay(ReadRecords& earlier, const ReadRecords& later)
{
    if (later.resHeader)
        earlier.resHeader = later.resHeader;
    if (later.resItems)
        earlier.resItems = later.resItems;
    if (later.gfpHead)
        earlier.gfpHead = later.gfpHead;
    if (later.tgaHeader)
        earlier.tgaHeader = later.tgaHeader;
}

// Stores every record that was read into module; the others stay as they were.
inline void StoreRecords(Module1& module, const ReadRecords& records)
{
    if (records.resHeader)
        module.ResHeader = *records.resHeader;
    if (records.resItems)
        module.ResItems = *records.resItems;
    if (records.gfpHead) {
        module.GfpPictureHeader = records.gfpHead->picture;
        module.GfpPixelHeader = records.gfpHead->pixel;
    }
    if (records.tgaHeader)
        module.TgaHeader = *records.tgaHeader;
}

// The same, the directory moved into module rather than copied.
inline void StoreRecords(Module1& module, ReadRecords&& records)
{
    if (records.resItems)
        module.ResItems = std::move(*records.resItems);
    records.resItems.reset();
    StoreRecords(module, records);
}

} // namespace varnox::jobs
