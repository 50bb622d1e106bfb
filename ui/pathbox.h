#pragma once
// The path field above a folder list: shows the folder, completes folder names as they are
// typed, offers the folders used last and the game's usual places in its list; Enter or a
// choice from the list goes there.

#include <QComboBox>
#include <QStringList>

class QFileSystemModel;

namespace varnox::ui {

class PathBox : public QComboBox {
    Q_OBJECT
  public:
    explicit PathBox(QWidget* parent = nullptr);
    static QString ToolTip();

    // Shows folder as the current one.
    void setPath(const QString& folder);
    QString path() const { return path_; }
    // The list: the folders used last, then the places (the game's usual folders).
    void setPlaces(const QStringList& recent, const QStringList& places);
    // Hidden folders among the completions too.
    void setShowHidden(bool show);

    // The folder text names: "~" for the home folder, a relative path from the folder shown.
    QString Expand(const QString& text) const;

  signals:
    // Enter was pressed, or a folder chosen from the list.
    void PathEntered(const QString& folder);

  private:
    QFileSystemModel* folders_ = nullptr;
    QString path_;
};

} // namespace varnox::ui
