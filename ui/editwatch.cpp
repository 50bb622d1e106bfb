#include "ui/editwatch.h"

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
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace varnox::ui {

namespace {

// Editors write a picture in several steps (a temporary file, a rename, the time set after);
// the last change settles after this long.
constexpr int kSettleMilliseconds = 250;

// The private folders of this run; each is removed, with its files, when the program ends.
struct PrivateFolders {
    std::mutex mutex;
    std::vector<std::unique_ptr<jobs::EditFolder>> folders;
};

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
    PrivateFolders& all = Folders();
    const std::lock_guard lock(all.mutex);
    all.folders.push_back(std::move(folder));
    return path;
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

} // namespace varnox::ui
