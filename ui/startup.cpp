#include "ui/startup.h"

#include "ui/folders.h"

#include <QFileInfo>

namespace varnox::ui {

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

} // namespace varnox::ui
