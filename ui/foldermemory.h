#pragma once
// Where the lists start: the folders used last, or, the first time, the program folder when
// it holds work and the home folder otherwise; and the game's places the path fields offer.

#include <QString>
#include <QStringList>

namespace varnox::ui {

// The folders remembered between runs, one per list.
enum class FolderKey { Source, Target, Unpacker };

// True when folder holds a file one of the lists shows (.res, .gfp, .tga, .png).
bool HoldsListedFiles(const QString& folder);

// The folder of a first start: programFolder when it holds such files (a build tree with its
// demo files), else home; an installed program thus never starts on a system folder.
QString FirstFolder(const QString& programFolder, const QString& home);

// The folders used last, kept with QSettings. Each is saved as it changes, so a program
// that is killed still has them.
class FolderMemory {
  public:
    FolderMemory(const QString& programFolder, const QString& home);

    // The folder remembered for key while it can still be listed, else the first folder.
    QString Folder(FolderKey key) const;
    void Remember(FolderKey key, const QString& folder);
    // The last ten folders remembered by any list, the newest first.
    QStringList RecentFolders() const;
    // Whether the folder lists show hidden folders (Ctrl+H).
    bool ShowHidden() const;
    void SetShowHidden(bool show);

  private:
    QString first_;
};

// The game's usual places on this machine that exist: Steam libraries, Wine drives.
QStringList GamePlaces();

} // namespace varnox::ui
