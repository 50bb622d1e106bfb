#pragma once
// Pictures out in the user's editor: each one's PNG in a private folder that lives until the
// program ends, the editor started on it, and the file watched; a save that has settled is
// told once through Saved.

#include "jobs/edit.h"
#include "ui/jobrunner.h"
#include "ui/messages.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace varnox::ui {

// A new private folder (0700) under the system's temporary folder, removed with its files
// when the program ends; nullopt (with the reason in failure) when it cannot be made.
std::optional<Path> MakePrivateFolder(QString& failure);

// Leaves png's private folder, with its files, on disk when the program ends.
void KeepPrivateFolder(const QString& png);

// The private folders under base that a run which has ended left with files in them; those
// it left empty are removed. Folders of a run still going are not touched.
QStringList FindLeftEdits(const QString& base);
// Offers the folders FindLeftEdits finds under the system's temporary folder: asks whether
// to show them in the file manager.
void OfferLeftEdits(QWidget* parent, const QuestionSink& sink);

class EditWatch;
// Before a window closes with pictures out in the editor: asks, and when the user closes
// anyway keeps the pictures on disk (named in the question). False: the window stays.
bool ConfirmClose(QWidget* parent, const QuestionSink& sink, const std::vector<const EditWatch*>& edits);

// Starts the user's editor on png: the command in VARNOX_EDITOR run through the shell with
// the path, else the desktop's program for PNG files. False (with the reason) when neither starts.
bool StartEditor(const QString& png, QString& failure);

// What taking back one save of a picture out in the editor came to.
struct EditOutcome {
    jobs::EditCheck check;
    bool always = false; // the user answered "Immer für dieses Bild"
    jobs::EditResult result;
};

// On the worker: compares the PNG saved for session with the picture it was given and, once
// ask had the user agree to question (not asked when always), puts it back packed as packing
// says. The question gets the new size added when it differs.
EditOutcome AskAndApplyEdit(jobs::EditSession session, bool always, GfpPacking packing, QString question,
                            const JobQuestion& ask);

// On the window thread: keeps the session outcome left (and "Immer für dieses Bild") in edits
// for png. Returns the message when the saved picture could not be compared, else empty.
QString KeepEditOutcome(const EditOutcome& outcome, EditWatch& edits, const QString& png);

class EditWatch : public QObject {
    Q_OBJECT
  public:
    explicit EditWatch(QObject* parent = nullptr);

    // Watches session's PNG from now on (a picture watched already is replaced).
    void Watch(const jobs::EditSession& session);
    // Ends every watch; the files stay until the program ends.
    void Stop();
    bool IsWatching() const { return !pictures_.empty(); }
    // The PNGs watched.
    QStringList Pictures() const;

    // The session of a watched PNG; nullopt when it is not watched (any more).
    std::optional<jobs::EditSession> Session(const QString& png) const;
    // "Immer für dieses Bild": later saves of the PNG are taken without asking.
    bool Always(const QString& png) const;
    void SetAlways(const QString& png);
    // Takes the session as a save left it (the state handed out, the backup made), so
    // that the next save is checked against it.
    void Update(const jobs::EditSession& session);

  signals:
    // The PNG was saved with new content (once per save, after it has settled).
    void Saved(const QString& png);

  private:
    // What identifies one saved state of a file: size, time of change, inode.
    using Stamp = std::tuple<qint64, qint64, quint64>;
    struct Picture {
        jobs::EditSession session;
        Stamp seen{};
        bool always = false;
    };
    static Stamp StampOf(const QString& png);
    void Touched();
    void Settled();

    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* settle_ = nullptr;
    std::map<QString, Picture> pictures_;
};

} // namespace varnox::ui
