#include "ui/dirlistbox.h"

#include "formats/text.h"
#include "ui/folders.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

namespace varnox::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;
// How long the folder must be quiet after a change on disk before it is listed again.
constexpr int kSettleMilliseconds = 150;

// Draws each entry shifted right by its level.
class IndentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(index.data(kLevelRole).toInt() * kIndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    // Never wider than the list, so that a long name is shortened with "…" (the whole path is
    // its tool tip) instead of being cut off behind a scroll bar.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int width = size.width() + index.data(kLevelRole).toInt() * kIndentPixels;
        const auto* view = qobject_cast<const QAbstractItemView*>(parent());
        return {view != nullptr ? std::min(width, view->viewport()->width()) : width, size.height()};
    }
};

// The folders from the root down to folder, root first.
QStringList Chain(const QString& folder)
{
    QStringList chain;
    for (QString at = folder;; at = CleanFolder(at + QStringLiteral("/.."))) {
        chain.prepend(at);
        if (QDir(at).isRoot() || at == CleanFolder(at + QStringLiteral("/..")))
            break;
    }
    return chain;
}

QString EntryText(const QString& folder)
{
    const QString name = QDir(folder).dirName();
    return QDir(folder).isRoot() || name.isEmpty() ? folder : name;
}

} // namespace

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMilliseconds);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &DirListBox::Refresh);
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideMiddle);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenEntry(row(item)); });
}

void DirListBox::setPath(const QString& folder)
{
    const QString clean = CleanFolder(folder);
    CheckListable(clean);
    const bool changed = clean != path_;
    path_ = clean;
    Fill();
    if (changed)
        emit Change();
}

QString DirListBox::EntryPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry != nullptr ? entry->data(kPathRole).toString() : QString();
}

void DirListBox::OpenEntry(int row)
{
    const QString folder = EntryPath(row);
    if (folder.isEmpty())
        return;
    try {
        setPath(folder);
    } catch (const ListError& error) {
        emit ListFailed(QString::fromStdString(Translate(error.what())));
        // The folder shown may be gone as well: fall back to the nearest one that exists.
        for (QString at = path_;; at = CleanFolder(at + QStringLiteral("/.."))) {
            try {
                setPath(at);
                return;
            } catch (const ListError&) {
                if (QDir(at).isRoot())
                    return;
            }
        }
    }
}

void DirListBox::Refresh()
{
    settle_->stop();
    if (path_.isEmpty())
        return;
    for (QString at = path_;; at = CleanFolder(at + QStringLiteral("/.."))) {
        if (!ListStatus(at)) {
            if (QDir(at).isRoot())
                return;
            continue;
        }
        if (at == path_) {
            Fill(EntryPath(currentRow()));
        } else {
            path_ = at;
            Fill();
            emit Change();
        }
        return;
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OpenEntry(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::Fill(const QString& keep)
{
    if (!watcher_->directories().contains(path_)) {
        if (!watcher_->directories().isEmpty())
            watcher_->removePaths(watcher_->directories());
        watcher_->addPath(path_);
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    const QStringList chain = Chain(path_);
    for (int level = 0; level < chain.size(); ++level) {
        auto* entry = new QListWidgetItem(open, EntryText(chain[level]), this);
        entry->setData(kPathRole, chain[level]);
        entry->setToolTip(chain[level]);
        entry->setData(kLevelRole, level);
    }
    const QDir dir(path_);
    const auto subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | (showHidden_ ? QDir::Hidden : QDir::Filters()),
                      QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& name : subfolders) {
        auto* entry = new QListWidgetItem(closed, name, this);
        entry->setData(kPathRole, dir.filePath(name));
        entry->setToolTip(dir.filePath(name));
        entry->setData(kLevelRole, static_cast<int>(chain.size()));
    }
    int current = static_cast<int>(chain.size()) - 1;
    for (int row = 0; row < count() && !keep.isEmpty(); ++row)
        if (EntryPath(row) == keep)
            current = row;
    setCurrentRow(current);
}

void DirListBox::setShowHidden(bool show)
{
    if (show == showHidden_)
        return;
    showHidden_ = show;
    if (!path_.isEmpty())
        Fill(currentRow() >= 0 ? EntryPath(currentRow()) : QString());
}

} // namespace varnox::ui
