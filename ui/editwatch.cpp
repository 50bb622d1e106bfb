#include "ui/editwatch.h"
#include "formats/describe.h"

#include "ui/folders.h"
#include "ui/messages.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varnox::ui {

namespace {

// Editors write a picture in several steps (a temporary file, a rename, the time set after);
// the last change settles after this long.
constexpr int kSettleMilliseconds = 250;

// The private folders of this run; each is removed, with its files, when the program ends,
// unless kept. Each is held open with a shared lock for as long as the run lasts: the next
// start tells a folder of a run that still works from one a killed run left.
struct PrivateFolders {
    std::mutex mutex;
    std::vector<std::unique_ptr<jobs::EditFolder>> folders;
    std::vector<int> locks;
    ~PrivateFolders()
    {
        folders.clear();
        for (const int fd : locks)
            ::close(fd);
    }
};

constexpr char kEditFolderPrefix[] = "varnox-edit-";

PrivateFolders& Folders()
{
    static PrivateFolders folders;
    return folders;
}

} // namespace

std::optional<Path> MakePrivateFolder(QString& failure)
{
    auto folder = std::make_unique<jobs::EditFolder>();
    if (auto status = folder->Make(ToPath(QDir::tempPath())); !status) {
        failure = ToQString(MessageText(status.error()));
        return std::nullopt;
    }
    Path path = folder->path();
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        ::flock(fd, LOCK_SH);
    PrivateFolders& all = Folders();
    const std::lock_guard lock(all.mutex);
    all.folders.push_back(std::move(folder));
    if (fd >= 0)
        all.locks.push_back(fd);
    return path;
}

void KeepPrivateFolder(const QString& png)
{
    const Path folder = ToPath(png).parent_path();
    PrivateFolders& all = Folders();
    const std::lock_guard lock(all.mutex);
    for (const auto& made : all.folders)
        if (made->path() == folder)
            made->Keep();
}

QStringList FindLeftEdits(const QString& base)
{
    QStringList left;
    const QDir dir(base);
    const QStringList names = dir.entryList({QString::fromLatin1(kEditFolderPrefix) + u'*'},
                                            QDir::Dirs | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString folder = dir.filePath(name);
        const int fd = ::open(ToPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        // Only the user's own folders, and none that a running program holds.
        const bool leftOver =
            ::fstat(fd, &info) == 0 && info.st_uid == ::getuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (leftOver && QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            QDir(base).rmdir(name);
        else if (leftOver)
            left.append(folder);
        ::close(fd);
    }
    return left;
}

bool ConfirmClose(QWidget* parent, const QuestionSink& sink, const std::vector<const EditWatch*>& edits)
{
    QStringList pngs;
    for (const EditWatch* watch : edits)
        if (watch != nullptr)
            for (const QString& png : watch->Pictures())
                pngs.append(QDir::toNativeSeparators(png));
    if (pngs.isEmpty())
        return true;
    const QString text =
        Varnox::tr("Noch im Bildbearbeiter:\n%1\n\nTrotzdem schließen? Spätere Speicherungen "
                   "werden nicht mehr übernommen; das Bild bleibt an dieser Stelle.")
            .arg(pngs.join(u'\n'));
    if (AskQuestion(parent, sink, text, false) != jobs::ReplaceAnswer::Yes)
        return false;
    for (const EditWatch* watch : edits)
        if (watch != nullptr)
            for (const QString& png : watch->Pictures())
                KeepPrivateFolder(png);
    return true;
}

void OfferLeftEdits(QWidget* parent, const QuestionSink& sink)
{
    const QStringList left = FindLeftEdits(QDir::tempPath());
    if (left.isEmpty())
        return;
    QStringList shown;
    for (const QString& folder : left)
        shown.append(QDir::toNativeSeparators(folder));
    const QString text =
        Varnox::tr("Von einem früheren Lauf sind Bilder aus dem Bildbearbeiter übrig:\n%1\n\n"
                   "Im Dateimanager zeigen?")
            .arg(shown.join(u'\n'));
    if (AskQuestion(parent, sink, text, false) != jobs::ReplaceAnswer::Yes)
        return;
    for (const QString& folder : left)
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool StartEditor(const QString& png, QString& failure)
{
    const QString editor = qEnvironmentVariable("VARNOX_EDITOR");
    if (!editor.isEmpty()) {
        if (QProcess::startDetached(QStringLiteral("/bin/sh"),
                                    {QStringLiteral("-c"), editor + QStringLiteral(" \"$@\""), editor, png}))
            return true;
        failure = Varnox::tr("Der Bildbearbeiter (VARNOX_EDITOR) lässt sich nicht starten: %1").arg(editor);
        return false;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(png)))
        return true;
    failure =
        Varnox::tr("Kein Programm für PNG-Dateien gefunden; VARNOX_EDITOR nennt sonst den Bildbearbeiter");
    return false;
}

EditWatch::EditWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMilliseconds);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &EditWatch::Touched);
    // An editor that saves by renaming a new file over the old one takes the watched file
    // away; the folder's change tells of the new one.
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &EditWatch::Touched);
    connect(settle_, &QTimer::timeout, this, &EditWatch::Settled);
}

EditWatch::Stamp EditWatch::StampOf(const QString& png)
{
    struct stat info {};
    if (::stat(QFile::encodeName(png).constData(), &info) != 0)
        return {};
    return {static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            static_cast<quint64>(info.st_ino)};
}

void EditWatch::Watch(const jobs::EditSession& session)
{
    const QString png = ToQString(session.png);
    pictures_[png] = Picture{session, StampOf(png), false};
    watcher_->addPath(png);
    watcher_->addPath(ToQString(session.png.parent_path()));
}

void EditWatch::Stop()
{
    settle_->stop();
    pictures_.clear();
    const QStringList watched = watcher_->files() + watcher_->directories();
    if (!watched.isEmpty())
        watcher_->removePaths(watched);
}

std::optional<jobs::EditSession> EditWatch::Session(const QString& png) const
{
    const auto found = pictures_.find(png);
    if (found == pictures_.end())
        return std::nullopt;
    return found->second.session;
}

QStringList EditWatch::Pictures() const
{
    QStringList pngs;
    for (const auto& entry : pictures_)
        pngs.append(entry.first);
    return pngs;
}

bool EditWatch::Always(const QString& png) const
{
    const auto found = pictures_.find(png);
    return found != pictures_.end() && found->second.always;
}

void EditWatch::Update(const jobs::EditSession& session)
{
    if (const auto found = pictures_.find(ToQString(session.png)); found != pictures_.end())
        found->second.session = session;
}

void EditWatch::SetAlways(const QString& png)
{
    if (const auto found = pictures_.find(png); found != pictures_.end())
        found->second.always = true;
}

void EditWatch::Touched()
{
    settle_->start();
}

void EditWatch::Settled()
{
    QStringList saved;
    for (auto& [png, picture] : pictures_) {
        // A file replaced by a rename is a new file: it is watched afresh.
        if (!watcher_->files().contains(png) && QFileInfo::exists(png))
            watcher_->addPath(png);
        const Stamp now = StampOf(png);
        if (now == Stamp{} || now == picture.seen)
            continue;
        picture.seen = now;
        saved.append(png);
    }
    // Told after the loop: a receiver may end the watch.
    for (const QString& png : saved)
        emit Saved(png);
}

EditOutcome AskAndApplyEdit(jobs::EditSession session, bool always, GfpPacking packing, QString question,
                            const JobQuestion& ask)
{
    EditOutcome outcome;
    outcome.check = jobs::CheckEdit(session);
    if (outcome.check.state != jobs::EditState::Changed || !outcome.check.status)
        return outcome;
    if (!always) {
        if (outcome.check.SizeChanged())
            question += Varnox::tr("\n\nDas Bild ist jetzt %1 \u00d7 %2 groß, bisher %3 \u00d7 %4.")
                            .arg(outcome.check.newWidth)
                            .arg(outcome.check.newHeight)
                            .arg(outcome.check.oldWidth)
                            .arg(outcome.check.oldHeight);
        const jobs::ReplaceAnswer answer = ask(question);
        if (answer != jobs::ReplaceAnswer::Yes && answer != jobs::ReplaceAnswer::YesToAll)
            return outcome;
        outcome.always = answer == jobs::ReplaceAnswer::YesToAll;
    }
    outcome.result = jobs::ApplyEdit(session, packing);
    return outcome;
}

QString KeepEditOutcome(const EditOutcome& outcome, EditWatch& edits, const QString& png)
{
    if (outcome.result.status.ok())
        edits.Update(outcome.result.session);
    if (outcome.always)
        edits.SetAlways(png);
    const jobs::EditCheck& check = outcome.check;
    if (check.state == jobs::EditState::Unreadable || !check.status)
        return Varnox::tr("%1\nNichts übernommen; das Bild bleibt in %2")
            .arg(ToQString(MessageText(check.status.error())), QDir::toNativeSeparators(png));
    return {};
}

} // namespace varnox::ui
