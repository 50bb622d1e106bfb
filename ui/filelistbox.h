#pragma once
// File list: the files of one folder that match a pattern, sorted by name.

#include <QListWidget>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

namespace varnox::ui {

class FileListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Lists the files of folder; no entry is selected afterwards. Throws ListError, changing
    // nothing, for a folder that cannot be listed.
    void setPath(const QString& folder);

    QString pattern() const { return pattern_; }
    // Lists the folder again with a new pattern: wildcards, several separated by ';', compared
    // without regard to case; the pattern shown already changes nothing. Throws ListError like setPath.
    void setPattern(const QString& pattern);

    // Lists the folder again with the same pattern, keeping the selected entry when its file
    // is still there (without a Click); a folder that went leaves the list empty.
    void Refresh();

    // The selected entry, or -1 for none.
    int ListIndex() const;
    // Selects entry index (-1: none); selecting an entry raises Click.
    void setListIndex(int index);
    int ListCount() const { return count(); }
    // The selected file's name; empty when none is selected.
    QString FileName() const;
    // The names of all entries, in list order.
    QStringList FileNames() const;

    // Whether name matches pattern as the list compares them.
    static bool Matches(const QString& pattern, const QString& name);

  signals:
    // A file was selected, by the user or in code, or the selected one was clicked again.
    void Click();
    // The list was filled anew (new folder, pattern, or a refresh).
    void Listed();
    // Enter or Return was pressed in the list.
    void EnterPressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Fill(const QString& folder, const QString& pattern, const QString& keep = {});

    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* settle_ = nullptr; // a burst of changes on disk gives one refresh
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    int selected_ = -1;
    bool clickRaised_ = false;
};

} // namespace varnox::ui
