#include "ui/startup.h"

#include "formats/text.h"
#include "jobs/gameplaces.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
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
    try {
        CheckListable(folder);
        return true;
    } catch (const ListError&) {
        return false;
    }
}

// Selects name in list; false when the list does not show it.
bool SelectFile(FileListBox* list, const QString& name)
{
    const int index = static_cast<int>(list->FileNames().indexOf(name));
    if (index >= 0)
        list->setListIndex(index);
    return index >= 0;
}

void OpenArchive(Form2& converter, const StartArgument& argument)
{
    converter.Command1_Click();
    Form1* unpacker = converter.Unpacker();
    if (unpacker == nullptr)
        return;
    unpacker->OpenArchive(QDir(argument.folder).filePath(argument.file));
}

void OpenPicture(Form2& converter, const StartArgument& argument)
{
    const QString suffix = QFileInfo(argument.file).suffix().toLower();
    converter.opgra[suffix == QStringLiteral("gfp") ? 1 : 0]->setChecked(true);
    converter.Dir1[0]->setPath(argument.folder);
    if (!SelectFile(converter.File1[0], argument.file))
        converter.ShowMessage(Varnox::tr("Das Bild wird nicht angezeigt: %1").arg(argument.file));
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

StartArgument ReadStartArgument(const QStringList& arguments)
{
    StartArgument argument;
    if (arguments.isEmpty())
        return argument;
    const QFileInfo named(arguments.front());
    if (named.isDir()) {
        argument.kind = StartKind::Folder;
        argument.folder = CleanFolder(named.absoluteFilePath());
        return argument;
    }
    argument.folder = CleanFolder(named.absolutePath());
    argument.file = named.fileName();
    const QString suffix = named.suffix().toLower();
    const bool picture =
        suffix == QStringLiteral("gfp") || suffix == QStringLiteral("tga") || suffix == QStringLiteral("png");
    argument.kind = named.exists() ? StartKind::Unknown : StartKind::Missing;
    if (named.isFile() && suffix == QStringLiteral("res"))
        argument.kind = StartKind::Archive;
    else if (named.isFile() && picture)
        argument.kind = StartKind::Picture;
    return argument;
}

void OpenStartArgument(Form2& converter, const StartArgument& argument)
{
    try {
        switch (argument.kind) {
        case StartKind::None: return;
        case StartKind::Folder:
            for (DirListBox* list : converter.Dir1)
                list->setPath(argument.folder);
            return;
        case StartKind::Archive: OpenArchive(converter, argument); return;
        case StartKind::Picture: OpenPicture(converter, argument); return;
        case StartKind::Missing:
            converter.ShowMessage(
                Varnox::tr("Den Pfad gibt es nicht: %1")
                    .arg(QDir::toNativeSeparators(QDir(argument.folder).filePath(argument.file))));
            return;
        case StartKind::Unknown:
            converter.ShowMessage(
                Varnox::tr("Kein Ordner, kein Archiv (.res) und kein Bild (.gfp, .tga, .png): %1")
                    .arg(QDir(argument.folder).filePath(argument.file)));
            return;
        }
    } catch (const std::exception& error) {
        converter.ShowMessage(QString::fromStdString(Translate(error.what())));
    }
}

} // namespace varnox::ui
