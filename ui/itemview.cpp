#include "ui/itemview.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

namespace varnox::ui {

ItemView::ItemView(QWidget* parent) : QTreeView(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
}

QString ItemView::DroppedPicture(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile())
        return {};
    QString path = data->urls().front().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QStringLiteral("gfp") && suffix != QStringLiteral("tga") && suffix != QStringLiteral("png"))
        return {};
    return path;
}

QList<QUrl> ItemView::DragUrls() const
{
    return dragFiles_ ? dragFiles_(selectionModel()->selectedRows()) : QList<QUrl>();
}

void ItemView::startDrag(Qt::DropActions)
{
    const QList<QUrl> files = DragUrls();
    if (files.isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setUrls(files);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void ItemView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this || DroppedPicture(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ItemView::dragMoveEvent(QDragMoveEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->source() == this || !index.isValid() || DroppedPicture(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ItemView::dropEvent(QDropEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const QString path = DroppedPicture(event->mimeData());
    if (event->source() == this || !index.isValid() || path.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit PictureDropped(index, path);
}

} // namespace varnox::ui
