#pragma once
// Where the lists start: the file or folder named at start, the folders used last, or, the
// first time, the program folder when it holds work and the home folder otherwise.

#include <QString>
#include <QStringList>

namespace varnox::ui {

class Form2;

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

// What a start argument names.
enum class StartKind { None, Folder, Archive, Picture, Unknown, Missing };

struct StartArgument {
    StartKind kind = StartKind::None;
    QString folder; // the folder the lists go to
    QString file;   // the file selected there (archive or picture); empty for a folder
};

// Reads the arguments after the program's name: none, or one file or folder.
StartArgument ReadStartArgument(const QStringList& arguments);

// Opens what argument names: a folder in both converter lists, a picture selected on the
// source side in the direction that reads it, an archive clicked in the unpacker window.
// Tells through the window's messages what it cannot open.
void OpenStartArgument(Form2& converter, const StartArgument& argument);

} // namespace varnox::ui
