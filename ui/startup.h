#pragma once
// What the program was started on: none, or one file or folder named after its name.

#include "ui/foldermemory.h"

#include <QString>
#include <QStringList>

namespace varnox::ui {

// What a start argument names.
enum class StartKind { None, Folder, Archive, Picture, Unknown, Missing };

struct StartArgument {
    StartKind kind = StartKind::None;
    QString folder; // the folder the lists go to
    QString file;   // the file selected there (archive or picture); empty for a folder
};

// Reads the arguments after the program's name: none, or one file or folder.
StartArgument ReadStartArgument(const QStringList& arguments);

} // namespace varnox::ui
