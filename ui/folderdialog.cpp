#include "ui/folderdialog.h"

#include "ui/folders.h"
#include "ui/messages.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

namespace varnox::ui {

ProposingFolderDialog::ProposingFolderDialog(QWidget* parent, const QString& caption, const QString& proposed)
    : QFileDialog(parent, caption, QFileInfo(proposed).path()), proposed_(proposed), enable_(new QTimer(this))
{
    setFileMode(QFileDialog::Directory);
    setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    setLabelText(QFileDialog::Accept, Varnox::tr("Entpacken"));
    selectFile(QFileInfo(proposed).fileName());
    // The file dialog greys its button for a folder that does not exist; for the proposed
    // one it stays usable, as Enter is.
    if (auto* buttons = findChild<QDialogButtonBox*>(); buttons != nullptr)
        for (QAbstractButton* button : buttons->buttons())
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                accept_ = button;
    enable_->setSingleShot(true);
    connect(enable_, &QTimer::timeout, this, &ProposingFolderDialog::EnableForProposed);
    if (accept_ != nullptr) {
        accept_->installEventFilter(this);
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); name != nullptr)
            connect(name, &QLineEdit::textChanged, this, &ProposingFolderDialog::EnableForProposed);
        EnableForProposed();
    }
}

bool ProposingFolderDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == accept_ && event->type() == QEvent::EnabledChange && !accept_->isEnabled())
        enable_->start(0);
    return QFileDialog::eventFilter(watched, event);
}

void ProposingFolderDialog::accept()
{
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && CleanFolder(chosen.front()) == CleanFolder(proposed_) &&
        !QFileInfo::exists(proposed_)) {
        // The proposed folder is made by the extract: skip the file dialog's check that
        // it exists.
        QDialog::accept(); // NOLINT(bugprone-parent-virtual-call)
        return;
    }
    QFileDialog::accept();
}

void ProposingFolderDialog::EnableForProposed()
{
    const QStringList chosen = selectedFiles();
    if (accept_ != nullptr && chosen.size() == 1 && CleanFolder(chosen.front()) == CleanFolder(proposed_))
        accept_->setEnabled(true);
}

} // namespace varnox::ui
