#pragma once
// Whole files rewritten by the archive and picture writers, the old one kept as NAME.bak.
#include "fileio/atomic_file.h"
#include "fileio/descriptor.h"
#include <chrono>

namespace varnox {

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
    ~Rewrite() = default;

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
    Descriptor lock_; // the file locked, while the lock is held
    bool missing_ = false;
    FileIdentity state_;
    Backup backup_ = Backup::Make;
    AtomicFile file_;
    Fault fault_ = Fault::None;
    std::error_code error_;
};

} // namespace varnox
