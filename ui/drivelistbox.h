#pragma once
// Drive list: the roots of the file system that can be read, "/" first.

#include <QComboBox>
#include <QStringList>

namespace varnox::ui {

class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The mounted volumes that are folders and can be read, without duplicates, "/" first.
    static QStringList MountedDrives();

    // Replaces the entries (each a root folder) and shows the first; raises no change.
    // Tests use it to offer a drive that fails.
    void setDrives(const QStringList& roots);
    QStringList drives() const;

    // The root shown.
    QString drive() const;
    // Shows root; raises Change at once when it differs from the drive shown. Throws ListError
    // for a root that is not in the list.
    void setDrive(const QString& root);

    // The drive that holds path: the longest root of the list that path lies in; empty for none.
    QString DriveOf(const QString& path) const;

  signals:
    void Change();
};

} // namespace varnox::ui
