#include "ui/folders.h"
#include "formats/describe.h"

#include "formats/text.h"
#include "ui/messages.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>
#include <filesystem>

namespace varnox::ui {

Path ToPath(const QString& path)
{
    return Path(QFile::encodeName(path).toStdString());
}

QString ToQString(const Path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

QString ToQString(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QString CleanFolder(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

Status ListStatus(const QString& folder)
{
    std::error_code error;
    // Opening the listing tells a missing folder, a file and a refused one apart.
    std::filesystem::directory_iterator probe(ToPath(folder), error);
    if (error)
        return Error{JobError::FolderNotListed, ToPath(folder), error, {}, {folder.toStdString()}};
    return {};
}

QString ListProblemText(const Status& status)
{
    return ToQString(Describe(status.error()));
}

void CheckListable(const QString& folder)
{
    if (const Status listed = ListStatus(folder); !listed)
        throw ListError(ListProblemText(listed));
}

QRect FieldPlace(const QWidget& control, QRect where)
{
    if (qobject_cast<const QLineEdit*>(&control) != nullptr ||
        qobject_cast<const QComboBox*>(&control) != nullptr)
        where.setHeight(std::max(where.height(), control.sizeHint().height()));
    return where;
}

} // namespace varnox::ui
