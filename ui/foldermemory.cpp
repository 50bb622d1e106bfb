#include "ui/foldermemory.h"

#include "jobs/gameplaces.h"
#include "ui/folders.h"

#include <QDir>
#include <QSettings>

namespace varnox::ui {

namespace {

QString SettingsKey(FolderKey key)
{
    switch (key) {
    case FolderKey::Source: return QStringLiteral("folders/source");
    case FolderKey::Target: return QStringLiteral("folders/target");
    case FolderKey::Unpacker: break;
    }
    return QStringLiteral("folders/unpacker");
}

constexpr int kRecentFolders = 10;
constexpr char kRecentKey[] = "folders/recent";
constexpr char kHiddenKey[] = "folders/hidden";

bool IsListable(const QString& folder)
{
    return ListStatus(folder).ok();
}

} // namespace

bool HoldsListedFiles(const QString& folder)
{
    // Name filters compare without regard to case, as the file lists do.
    const QStringList patterns{QStringLiteral("*.res"), QStringLiteral("*.gfp"), QStringLiteral("*.tga"),
                               QStringLiteral("*.png")};
    return !QDir(folder).entryList(patterns, QDir::Files | QDir::Readable).isEmpty();
}

QString FirstFolder(const QString& programFolder, const QString& home)
{
    if (!programFolder.isEmpty() && HoldsListedFiles(programFolder) && IsListable(programFolder))
        return CleanFolder(programFolder);
    return CleanFolder(home);
}

FolderMemory::FolderMemory(const QString& programFolder, const QString& home)
    : first_(FirstFolder(programFolder, home))
{
}

QString FolderMemory::Folder(FolderKey key) const
{
    const QString remembered = QSettings().value(SettingsKey(key)).toString();
    if (!remembered.isEmpty() && QDir::isAbsolutePath(remembered) && IsListable(remembered))
        return CleanFolder(remembered);
    return first_;
}

void FolderMemory::Remember(FolderKey key, const QString& folder)
{
    QSettings settings;
    if (settings.value(SettingsKey(key)).toString() == folder)
        return;
    settings.setValue(SettingsKey(key), folder);
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(folder);
    recent.prepend(folder);
    settings.setValue(kRecentKey, recent.mid(0, kRecentFolders));
    settings.sync();
}

QStringList FolderMemory::RecentFolders() const
{
    return QSettings().value(kRecentKey).toStringList().mid(0, kRecentFolders);
}

bool FolderMemory::ShowHidden() const
{
    return QSettings().value(kHiddenKey, false).toBool();
}

void FolderMemory::SetShowHidden(bool show)
{
    QSettings settings;
    settings.setValue(kHiddenKey, show);
    settings.sync();
}

QStringList GamePlaces()
{
    QStringList places;
    for (const Path& place :
         jobs::FindGamePlaces(ToPath(QDir::homePath()), qEnvironmentVariable("WINEPREFIX").toStdString()))
        places.append(ToQString(place));
    return places;
}

} // namespace varnox::ui
