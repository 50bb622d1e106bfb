#pragma once
// Small file layer: one open file per object, reads at offsets, folders held open, and
// whole-file replacement through a temporary file in the destination's folder.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace varnox {

using Path = std::filesystem::path;
using Bytes = std::vector<std::uint8_t>;

class Folder;

// What tells one state of a file from another: the file itself (device and inode), its size,
// and the times of its last change of content (mtime) and of its entry (ctime). A rewrite in
// place that sets the mtime back (cp -p, touch -r) still moves the ctime.
struct FileIdentity {
    bool present = false; // false: no file at that name
    unsigned long long device = 0, inode = 0;
    long long size = 0;
    long long mtimeSeconds = 0, mtimeNanoseconds = 0;
    long long ctimeSeconds = 0, ctimeNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what path names, links followed; not present when nothing is there. A
// path that cannot be examined gives an identity no file has, so it never passes as unchanged.
FileIdentity IdentityOf(const Path& path);
// The same for name in folder, a link there taken as itself.
FileIdentity IdentityAt(const Folder& folder, const std::string& name);

// The file layer's own reasons, beside the system's.
enum class FileLayerError {
    Changed = 1, // the file was changed by someone else since it was read
};
std::error_code make_error_code(FileLayerError error);

// True for a name that stands for one entry directly inside a held folder: not empty, not
// "." or ".." (the folder itself or its parent), without "/" (which would reach into another
// folder) and without NUL (where the system would end the name early).
bool IsPlainFileName(std::string_view name);

// A file opened for reading raw bytes; closed when the object goes.
class InputFile {
  public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { Close(); }

    // Opens an existing regular file; false (with the reason in error()) otherwise.
    bool Open(const Path& path);
    // Opens name in folder without following a link: a link there is refused with ELOOP, a
    // folder with EISDIR, a FIFO or device with EINVAL.
    bool OpenIn(const Folder& folder, const std::string& name);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Size of the file in bytes, as found when it was opened.
    std::int64_t Size() const { return size_; }
    // Permission bits of the file, as found when it was opened.
    unsigned Mode() const { return mode_; }
    // Reads exactly out.size() bytes at offset; false if the file ends first or reading fails.
    bool ReadAt(std::int64_t offset, std::span<std::uint8_t> out);
    // Reads up to out.size() bytes at offset; returns how many were read (the rest is untouched).
    std::size_t ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> out);

    const std::error_code& error() const { return error_; }

  private:
    bool Adopt(int fd);
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;
    unsigned mode_ = 0;
    std::error_code error_;
};

// Reads a whole file; false (with error set) when it cannot be opened or read.
bool ReadWholeFile(const Path& path, Bytes& out, std::error_code& error);

// A folder held open: files are made, replaced and removed relative to it, so that its path
// being swapped for a link afterwards cannot redirect them. Opening it for writing also
// removes the temporary files that killed runs of this program left in it.
class Folder {
  public:
    Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() { Close(); }

    // Opens an existing folder; links on its path are followed.
    bool Open(const Path& path);
    // Opens the folder name inside parent, made (one level) when missing. Refuses with
    // not_a_directory anything else standing there, a link to a folder included, and with
    // invalid_argument a name that is no plain file name (IsPlainFileName).
    bool OpenReal(const Path& parent, const std::string& name);
    void Close();
    // Flushes the file system the folder is on to disk, so that every file written into
    // it survives a power cut (one flush for many files).
    bool Sync();
    // Removes the file name from the folder; true when it is gone, also when it never was.
    bool Remove(const std::string& name);

    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::error_code& error() const { return error_; }

  private:
    bool Finish(int fd, const Path& path);
    int fd_ = -1;
    std::error_code error_;
};

// A real folder (Folder::OpenReal) made and opened on first use, then held open; the
// outcome of the first attempt holds for every later one.
class FolderOnFirstUse {
  public:
    FolderOnFirstUse(Path parent, std::string name) : parent_(std::move(parent)), name_(std::move(name)) {}

    // The open folder; nullptr (with error()) when it was refused.
    const Folder* Get()
    {
        if (!tried_) {
            tried_ = true;
            folder_.OpenReal(parent_, name_);
        }
        return folder_.IsOpen() ? &folder_ : nullptr;
    }
    // Flushes what was written into the folder, if it was opened.
    bool Sync() { return folder_.Sync(); }
    const std::error_code& error() const { return folder_.error(); }

  private:
    Path parent_;
    std::string name_;
    Folder folder_;
    bool tried_ = false;
};

// Gives name in folder the file that stands at other and other the file at name, in one step
// where the file system can, else in three renames that are undone when one fails.
bool SwapNames(const Folder& folder, const std::string& name, const std::string& other,
               std::error_code& error);

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
    // True when the target is a regular file holding exactly the bytes written so far.
    bool MatchesTarget();
    // Puts the file in place of the target. A target that holds the same bytes already is
    // left untouched and the new file dropped.
    bool Commit(Flush flush = Flush::WhenReplacing);
    // Removes the new file; the target stays as it was.
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }
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
    bool TargetAsExpected();

    enum class Match { Unknown, Same, Differs };
    TemporaryFile temporary_ = TemporaryFile::Anonymous;
    Folder ownFolder_;
    int folderFd_ = -1;
    std::string name_;
    std::string temp_; // the temporary name, while the file has one
    bool anonymous_ = false;
    int fd_ = -1;
    Match match_ = Match::Unknown;
    FileIdentity expected_;
    std::error_code error_;
};

// Follows the links that path ends in to the file they name, which may be missing, so that
// a writer replaces that file and the links stay links. Fails with ELOOP after 40 links.
bool FollowLinks(const Path& path, Path& out, std::error_code& error);

// How long a writer waits for another writer of the same file before it refuses.
inline constexpr std::chrono::milliseconds kWriterWait{2000};

// A whole file rewritten as the archive and picture writers do it: the path's links
// followed to the file itself, other writers of this program kept out from Begin to Commit
// by an advisory lock, and the new file put in place only when nobody changed the old one
// meanwhile, the old one kept as NAME.bak beside it.
// How a rewrite treats NAME.bak.
enum class Backup {
    Make,      // the file replaced becomes NAME.bak
    KeepFirst, // an existing NAME.bak (the original of an edit session) stays; else as Make
};

class Rewrite {
  public:
    enum class Fault {
        None,
        Open,    // the file cannot be opened for reading, or is no regular file
        Busy,    // another writer holds the file past the wait
        Changed, // the file was changed, replaced or made by someone else since Begin
        Write,   // the new file cannot be written or put in place
        Backup,  // the old file cannot be kept as NAME.bak
    };

    Rewrite() = default;
    explicit Rewrite(TemporaryFile temporary) : file_(temporary) {}
    Rewrite(const Rewrite&) = delete;
    Rewrite& operator=(const Rewrite&) = delete;
    ~Rewrite();

    // Takes the lock (waiting up to wait for another writer) and opens the new file. A
    // missing file is made at Commit, unless someone made it meanwhile.
    bool Begin(const Path& path, std::chrono::milliseconds wait = kWriterWait);
    // Refuses (Fault::Changed) unless the file found at Begin is this state of it, as when
    // it was handed out to an editor.
    bool Expect(const FileIdentity& identity);
    // The file's state found at Begin, and after Commit the state of the file in its place.
    const FileIdentity& Identity() const { return state_; }
    void SetBackup(Backup backup) { backup_ = backup; }
    // The file itself (links followed): what the writer reads, and what it replaces.
    const Path& Target() const { return target_; }
    Path BackupPath() const;
    AtomicFile& File() { return file_; }
    // Puts the new file in place. A file that holds the new bytes already stays as it is,
    // and so does its backup; otherwise the old file becomes NAME.bak, never a second name
    // of the file that replaces it, nor of a file that stays.
    bool Commit();

    Fault fault() const { return fault_; }
    const std::error_code& error() const { return error_; }

  private:
    bool Lock(std::chrono::milliseconds wait);
    bool Unchanged() const;
    bool KeepsBackup() const;
    bool Finish();
    bool CommitKeepingBackup();
    bool Refuse(Fault fault, std::error_code error);
    bool CommitOver();
    bool CommitByLink(const std::string& backup);
    bool CopyBackup(const std::string& backup);

    Path target_;
    std::string name_;
    Folder folder_;
    int lockFd_ = -1;
    bool missing_ = false;
    FileIdentity state_;
    Backup backup_ = Backup::Make;
    AtomicFile file_;
    Fault fault_ = Fault::None;
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

// The system's description of an error, for messages: German for the common errors (the
// programs show them translated, through SystemText), the system's own text for the rest.
std::string SystemReason(const std::error_code& error);

// A path as UTF-8 text, for messages.
std::string PathText(const Path& path);

} // namespace varnox

template <> struct std::is_error_code_enum<varnox::FileLayerError> : std::true_type {
};
