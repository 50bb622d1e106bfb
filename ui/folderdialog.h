#pragma once
// The folder dialog of an extract: it proposes a folder that need not exist yet.

#include <QFileDialog>

class QAbstractButton;
class QTimer;

namespace varnox::ui {

// A folder dialog that takes the folder it proposes although it does not exist yet: the
// extract makes it.
class ProposingFolderDialog : public QFileDialog {
  public:
    ProposingFolderDialog(QWidget* parent, const QString& caption, const QString& proposed);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;

  private:
    void EnableForProposed();

    QString proposed_;
    QAbstractButton* accept_ = nullptr;
    QTimer* enable_; // enables the button again once the dialog has greyed it
};

} // namespace varnox::ui
