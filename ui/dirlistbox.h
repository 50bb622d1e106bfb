#pragma once
// Folder list: the chain of folders from the root down to the current folder, then the
// current folder's subfolders, indented, with folder icons.

#include <QListWidget>

namespace varnox::ui {

class DirListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Lists folder and makes it current; raises Change at once when it differs from the
    // folder shown. Throws ListError, changing nothing, for a folder that cannot be listed.
    void setPath(const QString& folder);

    // The folder an entry stands for.
    QString EntryPath(int row) const;
    // What a double-click or Enter on the entry does: opens it. A folder that cannot be listed
    // is told through ListFailed; the list then stays on the nearest folder that still exists.
    void OpenEntry(int row);

  signals:
    void Change();
    void ListFailed(const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Fill();

    QString path_;
};

} // namespace varnox::ui
