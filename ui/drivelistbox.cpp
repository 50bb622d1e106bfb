#include "ui/drivelistbox.h"

#include "ui/folders.h"
#include "ui/messages.h"

#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <algorithm>

namespace varnox::ui {

namespace {

bool LiesIn(const QString& path, const QString& root)
{
    if (root == QStringLiteral("/"))
        return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent)
{
    setDrives(MountedDrives());
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Change);
}

QStringList DriveListBox::MountedDrives()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = CleanFolder(volume.rootPath());
        const QFileInfo info(root);
        if (info.isDir() && info.isReadable() && info.isExecutable() && !roots.contains(root))
            roots.append(root);
    }
    roots.removeAll(QStringLiteral("/"));
    std::sort(roots.begin(), roots.end());
    roots.prepend(QStringLiteral("/"));
    return roots;
}

void DriveListBox::setDrives(const QStringList& roots)
{
    const QSignalBlocker blocker(this);
    clear();
    for (const QString& root : roots)
        addItem(root, CleanFolder(root));
    setCurrentIndex(count() > 0 ? 0 : -1);
}

QStringList DriveListBox::drives() const
{
    QStringList roots;
    for (int i = 0; i < count(); ++i)
        roots.append(itemData(i).toString());
    return roots;
}

QString DriveListBox::drive() const
{
    return currentData().toString();
}

void DriveListBox::setDrive(const QString& root)
{
    const int index = findData(CleanFolder(root));
    if (index < 0)
        throw ListError(Varnox::tr("Das Laufwerk ist nicht in der Liste: %1").arg(root));
    setCurrentIndex(index);
}

QString DriveListBox::DriveOf(const QString& path) const
{
    const QString folder = CleanFolder(path);
    QString best;
    for (const QString& root : drives())
        if (LiesIn(folder, root) && root.size() > best.size())
            best = root;
    return best;
}

} // namespace varnox::ui
