#include "ui/filelistbox.h"

#include "ui/folders.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTimer>
#include <vector>

namespace varnox::ui {

namespace {

std::vector<QRegularExpression> Patterns(const QString& pattern)
{
    QStringList parts = pattern.split(u';', Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    // "*.*" means every file, also those without a dot.
    std::vector<QRegularExpression> patterns;
    for (const QString& part : parts)
        patterns.emplace_back(QRegularExpression::wildcardToRegularExpression(
                                  part == QStringLiteral("*.*") ? QStringLiteral("*") : part),
                              QRegularExpression::CaseInsensitiveOption);
    return patterns;
}

bool MatchesAny(const std::vector<QRegularExpression>& patterns, const QString& name)
{
    for (const QRegularExpression& re : patterns)
        if (re.match(name).hasMatch())
            return true;
    return false;
}

// How long the folder must be quiet after a change on disk before it is listed again.
constexpr int kSettleMilliseconds = 150;

} // namespace

FileListBox::FileListBox(QWidget* parent)
    : QListWidget(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMilliseconds);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &FileListBox::Refresh);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = selectedItems();
        const int now = chosen.isEmpty() ? -1 : row(chosen.front());
        if (now == selected_)
            return;
        selected_ = now;
        if (now >= 0) {
            clickRaised_ = true;
            emit Click();
        }
    });
    // A click on the entry already selected changes no selection but is a click all the same.
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* entry) {
        if (!clickRaised_ && row(entry) == selected_)
            emit Click();
        clickRaised_ = false;
    });
}

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    clickRaised_ = false;
    QListWidget::mousePressEvent(event);
}

bool FileListBox::Matches(const QString& pattern, const QString& name)
{
    return MatchesAny(Patterns(pattern), name);
}

void FileListBox::setPath(const QString& folder)
{
    Fill(CleanFolder(folder), pattern_);
}

void FileListBox::setPattern(const QString& pattern)
{
    if (pattern == pattern_)
        return;
    if (path_.isEmpty()) {
        pattern_ = pattern;
        return;
    }
    Fill(path_, pattern);
}

void FileListBox::Refresh()
{
    settle_->stop();
    if (path_.isEmpty())
        return;
    try {
        Fill(path_, pattern_, FileName());
    } catch (const ListError&) {
        const QSignalBlocker blocker(this);
        clear();
        selected_ = -1;
        emit Listed();
    }
}

void FileListBox::Fill(const QString& folder, const QString& pattern, const QString& keep)
{
    CheckListable(folder);
    const auto patterns = Patterns(pattern);
    QStringList names;
    const auto files =
        QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& file : files)
        if (MatchesAny(patterns, file.fileName()))
            names.append(file.fileName());

    if (folder != path_) {
        if (!watcher_->directories().isEmpty())
            watcher_->removePaths(watcher_->directories());
        watcher_->addPath(folder);
    }
    path_ = folder;
    pattern_ = pattern;
    {
        const QSignalBlocker blocker(this);
        clear();
        addItems(names);
        selected_ = keep.isEmpty() ? -1 : static_cast<int>(names.indexOf(keep));
        if (selected_ >= 0)
            setCurrentRow(selected_, QItemSelectionModel::ClearAndSelect);
    }
    emit Listed();
}

int FileListBox::ListIndex() const
{
    return selected_;
}

void FileListBox::setListIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

QString FileListBox::FileName() const
{
    const QListWidgetItem* entry = item(selected_);
    return entry != nullptr ? entry->text() : QString();
}

QStringList FileListBox::FileNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit EnterPressed();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace varnox::ui
