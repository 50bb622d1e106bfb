#pragma once
// Files written aside and put in place whole when complete.
#include "fileio/folder.h"
#include <initializer_list>
#include <span>

namespace varnox {

// How a commit makes the new file safe from a power cut.
enum class Flush {
    WhenReplacing, // a file that replaces another is on disk before the rename, its folder after
    Always,        // the same for a new file, as for a backup the next step relies on
    ByCaller,      // nothing; the caller syncs the folder once after writing many files
};

// How the new file of an AtomicFile is made before it is put in place.
enum class TemporaryFile {
    Anonymous, // O_TMPFILE where the file system has it, else a named one
    Named,     // always a named temporary file, as on a file system without anonymous ones
};

// A file written as an anonymous file (or, where the file system has none, under a
// temporary name) in its target's folder and put in place of the target when complete, so
// that the target holds either its old content or the whole new one. A file dropped (or
// discarded) before Commit leaves no trace. After the first failure every call returns
// false and error() tells why. The new file takes the permission bits of a regular file it
// replaces (never setuid, setgid or sticky), else 0666 less the umask; it replaces only the
// target found at Open (or the one given to ExpectTarget), and fails with
// FileLayerError::Changed when another program changed that meanwhile.

class AtomicFile {
  public:
    AtomicFile() = default;
    explicit AtomicFile(TemporaryFile temporary) : temporary_(temporary) {}
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Refuses a write-protected target (it stays as it is) or a folder without room for
    // the new file.
    bool Open(const Path& target);
    // The same for the file name in folder, which must stay open until the commit.
    bool Open(const Folder& folder, const std::string& name);
    // Appends the concatenation of pieces.
    bool Write(std::initializer_list<std::span<const std::uint8_t>> pieces);
    // Writes bytes at offset (the file grows as needed).
    bool WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // Gives the new file these permission bits (setuid, setgid and sticky dropped) instead of
    // those of the file it replaces.
    bool SetPermissions(unsigned mode);
    // Puts the file in place only over this state of the target (as it was when the caller
    // read it, or asked the user), instead of the one found at Open.
    void ExpectTarget(const FileIdentity& identity) { expected_ = identity; }
    // False when the file is to be put where no file stood (at Open, or as given to
    // ExpectTarget): its commit then refuses a file found at the name.
    bool ExpectsTarget() const { return expected_.present; }
    // Reads back the new file's bytes at offset, before the commit: false when it ends first.
    bool ReadBack(std::int64_t offset, std::span<std::uint8_t> out) const;
    // The new file's size so far; -1 when it cannot be learnt.
    std::int64_t SizeSoFar() const;
    // True when the target is a regular file holding exactly the bytes written so far.
    bool MatchesTarget();
    // Puts the file in place of the target. A target that holds the same bytes already is
    // left untouched and the new file dropped.
    bool Commit(Flush flush = Flush::WhenReplacing);
    // Removes the new file; the target stays as it was.
    void Discard();

    bool IsOpen() const { return fd_.IsOpen(); }
    const std::error_code& error() const { return error_; }

  private:
    friend class Rewrite;
    bool OpenIn(int folderFd, const std::string& name);
    bool Fail();
    bool PutInPlace(bool replacing);
    bool PutNew();
    bool NameTemporarily();
    bool LinkAs(const std::string& name);
    bool SpillToNamed();
    bool TargetAsExpected(const FileIdentity& found);

    enum class Match { Unknown, Same, Differs };
    TemporaryFile temporary_ = TemporaryFile::Anonymous;
    Folder ownFolder_;
    int folderFd_ = -1;
    std::string name_;
    std::string temp_; // the temporary name, while the file has one
    bool anonymous_ = false;
    Descriptor fd_;
    Match match_ = Match::Unknown;
    FileIdentity expected_;
    std::error_code error_;
};

// Writes the concatenation of pieces to a temporary file beside path and renames it
// over path, so that path holds either its old content or the whole new one.
bool WriteFileAtomically(const Path& path, std::initializer_list<std::span<const std::uint8_t>> pieces,
                         std::error_code& error);

// Copies source over destination the same way, a block at a time, keeping the permission
// bits of source (setuid, setgid and sticky dropped); on disk when it returns, since the caller may next
// replace source.
bool CopyFileAtomically(const Path& source, const Path& destination, std::error_code& error);

} // namespace varnox
