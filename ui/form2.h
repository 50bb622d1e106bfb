#pragma once
// The converter window: source and target blocks of drive, folder and file lists, the
// direction, the conversions behind "Convert" run on the worker, and a preview of the
// selected source picture; "unpack" opens the unpacker window.

#include "formats/module1.h"
#include "jobs/convert.h"
#include "ui/jobrunner.h"
#include "ui/messages.h"
#include "ui/startup.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace varnox::ui {

class DirListBox;
class DriveListBox;
class EditWatch;
class FileListBox;
class FolderMemory;
class Form1;
class PathBox;
class PreviewBox;

// The direction of "Convert", by the option chosen; None before the first.
enum class ConvertMode { None, TgaToGfp, GfpToTga, GfpToPng };

class Form2 : public QWidget {
    Q_OBJECT
  public:
    // module holds the records shared with the unpacker window; all lists start on programFolder.
    Form2(Module1& module, const QString& programFolder, QWidget* parent = nullptr);
    // Stops a running job (the unpacker window's too) and waits for it.
    ~Form2() override;
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    static QString Caption();

    // The controls, by their design names; arrays are indexed 0 source, 1 target.
    std::array<FileListBox*, 2> File1{};
    std::array<DirListBox*, 2> Dir1{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<DriveListBox*, 2> Drive1{};
    // Each side's folder as a path to type or paste, with the folders used last.
    std::array<PathBox*, 2> txtpath{};
    // "Versteckte Ordner" (Ctrl+H): both folder lists show hidden folders too.
    QCheckBox* chkhidden = nullptr;
    // "Öffnen…" (Ctrl+O): a picture chosen in the file dialog is selected as the source; an
    // archive opens in the unpacker.
    QPushButton* btnopen = nullptr;
    QPushButton* btnconvert = nullptr;
    // 0 "tga->gfp", 1 "gfp->tga", 2 "gfp->png".
    std::array<QRadioButton*, 3> opgra{};
    QLabel* lblinfo = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* chkuncom = nullptr;
    // "schnell packen": TGA/PNG -> GFP packs with the quick zlib stream; excludes "unkomprimiert".
    QCheckBox* chkfast = nullptr;
    QCheckBox* chkunpackall = nullptr;
    // Progress of the running job and its cancel button; the preview of the source file.
    QProgressBar* prgjob = nullptr;
    QPushButton* btncancel = nullptr;
    PreviewBox* picpreview = nullptr;
    // Puts the selected target back from its ".bak"; the current file becomes the ".bak".
    QPushButton* btnrestore = nullptr;
    // "Bearbeiten…": the selected GFP in the user's editor, each save taken back on asking.
    QPushButton* btnedit = nullptr;

    void Form_Load();
    void opgra_Click(int Index);
    void Drive1_Change(int Index);
    void Dir1_Change(int Index);
    void txtpath_Enter(int Index, const QString& folder);
    void chkhidden_Click();
    void btnopen_Click();
    void File1_Click(int Index);
    void Command1_Click();
    void btnconvert_Click();
    void btncancel_Click();
    void btnrestore_Click();
    void btnedit_Click();
    // What a file dropped on the window opens: an archive in the unpacker, a picture on the
    // source side in the direction that reads it.
    void OpenDropped(const QString& path);
    EditWatch& Edits() const { return *edits_; }
    // Enter in a file list: "Convert" when the files it needs are selected.
    void File1_Enter();
    // Shows the window again after the user closed it.
    void ShowAgain();

    // The unpacker window while it is open; null before the first "unpack" and after a close.
    Form1* Unpacker() const;
    // The worker this window and its unpacker windows run their jobs on.
    JobRunner& Runner() const { return *runner_; }

    // Messages of this window and of the unpacker windows it opens go to sink when set.
    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    void ShowMessage(const QString& text, MessageKind kind = MessageKind::Warning);
    // Questions of this window go to sink when set.
    void setQuestionSink(QuestionSink sink) { questionSink_ = std::move(sink); }
    // What "Öffnen…" asks with (caption, folder to start in, name filter); unset, the file dialog.
    void setFileChooser(std::function<QString(const QString&, const QString&, const QString&)> chooser)
    {
        chooseFile_ = std::move(chooser);
    }
    // The workers "convert all" runs on; one per core unless set.
    void setBatchWorkers(unsigned workers) { workers_ = workers; }
    // With a memory, the lists start on the folders used last and remember each new one;
    // without, every list starts on the program folder.
    void setFolderMemory(std::shared_ptr<FolderMemory> memory);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The GFP "Bearbeiten…" takes: the selected source in the GFP directions, else the target.
    QString EditableGfp() const;
    // The file "Wiederherstellen" puts back; empty when none is selected.
    QString RestorableFile() const;
    void ShowWrittenFile(const QString& file);
    void TakeBackEdit(const QString& png);
    void ConvertGfpToPicture(jobs::PictureFormat format);
    void ShowConverted(const std::shared_ptr<jobs::GfpToTgaResult>& result, bool several, int first,
                       const QString& written);
    void ConvertTgaToGfp();
    // How TGA/PNG -> GFP packs, by "unkomprimiert" and "schnell packen".
    GfpPacking Packing() const;
    // Runs work (JobProgress& -> a value) on the worker, then done (given the value) on the
    // window thread; what work throws fails the conversion of the selected source.
    template <class WorkFunction, class Done> void StartJob(WorkFunction work, Done done)
    {
        const bool started = runner_->Run(
            this, std::move(work),
            [this, done = std::move(done)](const auto& result) {
                EndingJob();
                done(result);
                EndedJob();
            },
            [this, source = SelectedPath(0)](const QString& failure) { JobFailed(source, failure); });
        if (started)
            StartedJob();
    }
    void StartedJob();
    void EndingJob();
    void EndedJob();
    void JobFailed(const QString& source, const QString& failure);
    QString SelectedPath(int index) const;
    void SetInfo(const QString& text);
    void ApplyEnabled();
    void ShowProgress();
    // The bar at a job's end: its own outcome as text, full when the job ran to its end.
    void EndBar(const QString& text, bool full);
    void ShowPreview();
    void RefreshLists();
    void PlaceControls();
    void MakeControls();
    void NameControls();
    void ShowPlaces();
    void ConnectControls();

    Module1& module_;
    QString programFolder_;
    MessageSink sink_;
    QuestionSink questionSink_;
    std::function<QString(const QString&, const QString&, const QString&)> chooseFile_;
    std::shared_ptr<FolderMemory> memory_;
    std::unique_ptr<JobRunner> runner_;
    QPointer<Form1> unpacker_;
    QTimer* poll_ = nullptr;
    std::array<bool, 2> puttingBack_{};
    ConvertMode mode_ = ConvertMode::None;
    unsigned workers_ = 1;
    bool closed_ = false;
    int convertingFrom_ = -1; // the source list's index of a batch's first file, while it runs
    QPointer<QWidget> focusBeforeJob_;
    EditWatch* edits_ = nullptr;
    QStringList pendingEdits_;
};

// Opens what argument names: a folder in both converter lists, a picture selected on the
// source side in the direction that reads it, an archive clicked in the unpacker window.
// Tells through the window's messages what it cannot open.
void OpenStartArgument(Form2& converter, const StartArgument& argument);

} // namespace varnox::ui
