// The converter window's lists: the direction, the drives and folders of both sides, the
// path fields, and what it opens from a drop, the file dialog or the start argument.
#include "ui/form2.h"

#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/foldermemory.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/jobrunner.h"
#include "ui/pathbox.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>

namespace varnox::ui {

namespace {

QString What(const std::exception& error)
{
    return QString::fromStdString(Translate(error.what()));
}

// Resets a flag when the scope ends, however it ends.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

} // namespace

void Form2::Form_Load()
{
    try {
        for (int i = 0; i < 2; ++i) {
            const QString folder =
                memory_ ? memory_->Folder(i == 0 ? FolderKey::Source : FolderKey::Target) : programFolder_;
            File1[i]->setPath(folder);
            Dir1[i]->setPath(folder);
        }
        opgra[0]->setChecked(true);
        ShowPlaces();
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::opgra_Click(int Index)
{
    if (Index < 0 || Index > 2)
        return;
    try {
        // The options in order: tga->gfp, gfp->tga, gfp->png.
        const auto mode = static_cast<ConvertMode>(Index + 1);
        const bool changed = mode != mode_;
        mode_ = mode;
        if (mode == ConvertMode::TgaToGfp) {
            File1[0]->setPattern(QStringLiteral("*.tga;*.png"));
            File1[1]->setPattern(QStringLiteral("*.gfp"));
        } else {
            File1[1]->setPattern(mode == ConvertMode::GfpToTga ? QStringLiteral("*.tga")
                                                               : QStringLiteral("*.png"));
            File1[0]->setPattern(QStringLiteral("*.gfp"));
        }
        ApplyEnabled();
        if (changed)
            SetInfo({});
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::Drive1_Change(int Index)
{
    const auto i = static_cast<std::size_t>(Index);
    try {
        const QString drive = Drive1[i]->drive();
        // A bare drive means its current folder: where the folder list is when it is on that drive.
        const QString current = Dir1[i]->path();
        const QString folder = Drive1[i]->DriveOf(current) == drive ? current : drive;
        try {
            Dir1[i]->setPath(folder);
        } catch (const ListError&) {
            // The drive cannot be listed: silently back to the drive of the folder still shown.
            // A second failure while putting it back is told.
            if (puttingBack_[i])
                throw;
            const FlagScope puttingBack(puttingBack_[i]);
            const QString back = Drive1[i]->DriveOf(current);
            if (back.isEmpty())
                throw;
            Drive1[i]->setDrive(back);
        }
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::setFolderMemory(std::shared_ptr<FolderMemory> memory)
{
    memory_ = std::move(memory);
    if (memory_)
        chkhidden->setChecked(memory_->ShowHidden());
    for (std::size_t i = 0; i < 2; ++i) {
        Dir1[i]->setShowHidden(chkhidden->isChecked());
        txtpath[i]->setShowHidden(chkhidden->isChecked());
    }
    ShowPlaces();
}

// The path fields' lists: the folders used last and the game's places.
void Form2::ShowPlaces()
{
    const QStringList recent = memory_ ? memory_->RecentFolders() : QStringList();
    const QStringList places = GamePlaces();
    for (PathBox* box : txtpath)
        box->setPlaces(recent, places);
}

void Form2::txtpath_Enter(int Index, const QString& folder)
{
    const auto i = static_cast<std::size_t>(Index);
    if (const Status listed = ListStatus(folder); !listed) {
        txtpath[i]->setPath(Dir1[i]->path());
        ShowMessage(ListProblemText(listed));
        return;
    }
    try {
        Dir1[i]->setPath(folder);
        Drive1[i]->setDrive(Drive1[i]->DriveOf(folder));
    } catch (const std::exception& error) {
        txtpath[i]->setPath(Dir1[i]->path());
        ShowMessage(What(error));
    }
}

void Form2::chkhidden_Click()
{
    for (std::size_t i = 0; i < 2; ++i) {
        Dir1[i]->setShowHidden(chkhidden->isChecked());
        txtpath[i]->setShowHidden(chkhidden->isChecked());
    }
    if (memory_)
        memory_->SetShowHidden(chkhidden->isChecked());
}

void Form2::btnopen_Click()
{
    if (runner_->IsBusy())
        return;
    const QString caption = Varnox::tr("Bild oder Archiv öffnen");
    const QString filter = Varnox::tr("Bilder und Archive (*.gfp *.tga *.png *.res)");
    const QString file = chooseFile_ ? chooseFile_(caption, Dir1[0]->path(), filter)
                                     : QFileDialog::getOpenFileName(this, caption, Dir1[0]->path(), filter);
    if (!file.isEmpty())
        OpenDropped(file);
}

void Form2::Dir1_Change(int Index)
{
    const auto i = static_cast<std::size_t>(Index);
    try {
        txtpath[i]->setPath(Dir1[i]->path());
        File1[i]->setPath(Dir1[i]->path());
        if (memory_) {
            memory_->Remember(Index == 0 ? FolderKey::Source : FolderKey::Target, Dir1[i]->path());
            ShowPlaces();
        }
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::File1_Click(int Index)
{
    if (Index == 0)
        ShowPreview();
    ApplyEnabled();
}

void Form2::File1_Enter()
{
    const bool ready =
        File1[0]->ListIndex() >= 0 && (mode_ != ConvertMode::TgaToGfp || File1[1]->ListIndex() >= 0);
    if (ready && btnconvert->isEnabled())
        btnconvert_Click();
}

void Form2::ShowPreview()
{
    // During a job the source list follows the job; the preview follows it when it ends.
    if (runner_->IsRunningFor(this))
        return;
    if (File1[0]->ListIndex() < 0)
        picpreview->Clear();
    else
        picpreview->Show(SelectedPath(0));
}

void Form2::RefreshLists()
{
    for (int i = 0; i < 2; ++i) {
        Dir1[i]->Refresh();
        File1[i]->Refresh();
    }
}

void Form2::OpenDropped(const QString& path)
{
    OpenStartArgument(*this, ReadStartArgument({path}));
}

namespace {

// The one local archive or picture data names, else empty.
QString DroppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile())
        return {};
    const QString path = data->urls().front().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool known = suffix == QStringLiteral("res") || suffix == QStringLiteral("gfp") ||
                       suffix == QStringLiteral("tga") || suffix == QStringLiteral("png");
    return known ? path : QString();
}

} // namespace

void Form2::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty() && !runner_->IsBusy())
        event->acceptProposedAction();
}

void Form2::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty() || runner_->IsBusy())
        return;
    event->acceptProposedAction();
    OpenDropped(path);
}

namespace {

// Selects name in list; false when the list does not show it.
bool SelectFile(FileListBox* list, const QString& name)
{
    const int index = static_cast<int>(list->FileNames().indexOf(name));
    if (index >= 0)
        list->setListIndex(index);
    return index >= 0;
}

void OpenArchive(Form2& converter, const StartArgument& argument)
{
    converter.Command1_Click();
    Form1* unpacker = converter.Unpacker();
    if (unpacker == nullptr)
        return;
    unpacker->OpenArchive(QDir(argument.folder).filePath(argument.file));
}

void OpenPicture(Form2& converter, const StartArgument& argument)
{
    const QString suffix = QFileInfo(argument.file).suffix().toLower();
    converter.opgra[suffix == QStringLiteral("gfp") ? 1 : 0]->setChecked(true);
    converter.Dir1[0]->setPath(argument.folder);
    if (!SelectFile(converter.File1[0], argument.file))
        converter.ShowMessage(Varnox::tr("Das Bild wird nicht angezeigt: %1").arg(argument.file));
}

} // namespace

void OpenStartArgument(Form2& converter, const StartArgument& argument)
{
    try {
        switch (argument.kind) {
        case StartKind::None: return;
        case StartKind::Folder:
            for (DirListBox* list : converter.Dir1)
                list->setPath(argument.folder);
            return;
        case StartKind::Archive: OpenArchive(converter, argument); return;
        case StartKind::Picture: OpenPicture(converter, argument); return;
        case StartKind::Missing:
            converter.ShowMessage(
                Varnox::tr("Den Pfad gibt es nicht: %1")
                    .arg(QDir::toNativeSeparators(QDir(argument.folder).filePath(argument.file))));
            return;
        case StartKind::Unknown:
            converter.ShowMessage(
                Varnox::tr("Kein Ordner, kein Archiv (.res) und kein Bild (.gfp, .tga, .png): %1")
                    .arg(QDir(argument.folder).filePath(argument.file)));
            return;
        }
    } catch (const std::exception& error) {
        converter.ShowMessage(QString::fromStdString(Translate(error.what())));
    }
}

} // namespace varnox::ui
