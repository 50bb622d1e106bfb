#include "ui/pathbox.h"

#include "ui/folders.h"
#include "ui/messages.h"

#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace varnox::ui {

PathBox::PathBox(QWidget* parent) : QComboBox(parent), folders_(new QFileSystemModel(this))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setAccessibleName(Varnox::tr("Pfad"));
    lineEdit()->setAccessibleName(Varnox::tr("Pfad"));
    setToolTip(ToolTip());
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    folders_->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot);
    folders_->setRootPath(QString());
    auto* completer = new QCompleter(folders_, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    setCompleter(completer);
    // Enter in the field (the combo box itself inserts nothing and tells nothing then), or a
    // folder chosen from the list.
    const auto enter = [this](const QString& text) {
        if (!text.trimmed().isEmpty())
            emit PathEntered(Expand(text));
    };
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this, enter] { enter(currentText()); });
    connect(this, &QComboBox::textActivated, this, enter);
}

QString PathBox::ToolTip()
{
    return Varnox::tr("Der Ordner der Liste: einen Pfad tippen oder einfügen, Enter geht hin; "
                      "die Liste bietet die zuletzt benutzten Ordner und die Orte des Spiels");
}

QString PathBox::Expand(const QString& text) const
{
    QString path = text.trimmed();
    if (path == u'~' || path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    if (QDir::isRelativePath(path))
        path = QDir(path_).filePath(path);
    return CleanFolder(path);
}

void PathBox::setPath(const QString& folder)
{
    path_ = folder;
    const QSignalBlocker blocker(this);
    setEditText(QDir::toNativeSeparators(folder));
}

void PathBox::setPlaces(const QStringList& recent, const QStringList& places)
{
    const QSignalBlocker blocker(this);
    clear();
    for (const QString& folder : recent)
        addItem(QDir::toNativeSeparators(folder));
    if (!recent.isEmpty() && !places.isEmpty())
        insertSeparator(count());
    for (const QString& folder : places)
        addItem(QDir::toNativeSeparators(folder));
    setEditText(QDir::toNativeSeparators(path_));
}

void PathBox::setShowHidden(bool show)
{
    folders_->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot |
                        (show ? QDir::Hidden : QDir::Filters()));
}

} // namespace varnox::ui
