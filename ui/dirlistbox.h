#pragma once
// Folder list: the chain of folders from the root down to the current folder, then the
// current folder's subfolders, indented, with folder icons.

#include <QListWidget>

class QFileSystemWatcher;
class QTimer;

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

    // Lists the current folder again, keeping the entry that was current when it still
    // exists. A current folder that went is left for the nearest one that exists, with Change.
    void Refresh();

    // Hidden folders listed too; lists the folder again when it changes.
    void setShowHidden(bool show);
    bool ShowHidden() const { return showHidden_; }

  signals:
    void Change();
    void ListFailed(const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Fill(const QString& keep = {});

    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* settle_ = nullptr; // a burst of changes on disk gives one refresh
    QString path_;
    bool showHidden_ = false;
};

} // namespace varnox::ui
