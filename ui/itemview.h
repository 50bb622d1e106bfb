#pragma once
// The unpacker's item list: rows dragged out as files, picture files dropped on a row.

#include <QList>
#include <QTreeView>
#include <QUrl>
#include <functional>

class QMimeData;

namespace varnox::ui {

class ItemView : public QTreeView {
    Q_OBJECT
  public:
    explicit ItemView(QWidget* parent = nullptr);

    // The files of the rows dragged out, written when the drag starts; none: no drag.
    using DragFiles = std::function<QList<QUrl>(const QModelIndexList& rows)>;
    void setDragFiles(DragFiles files) { dragFiles_ = std::move(files); }
    // The files a drag of the selected rows gives, written now.
    QList<QUrl> DragUrls() const;

    // A local file dropped: the file ".gfp", ".tga" or ".png" it names, else empty.
    static QString DroppedPicture(const QMimeData* data);

  signals:
    // A picture file was dropped on the row at index.
    void PictureDropped(const QModelIndex& index, const QString& path);

  protected:
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    DragFiles dragFiles_;
};

} // namespace varnox::ui
