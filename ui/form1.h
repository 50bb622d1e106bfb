#pragma once
// The unpacker window: a folder list and a file list for RES archives, the report of the
// archive clicked last, and the automatic unpack of its picture items; beside them the
// archive's items, a preview of the selected picture, its extract and a picture replaced.

#include "formats/archive.h"
#include "formats/module1.h"
#include "ui/messages.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTemporaryDir;
class QTimer;
class QTreeWidget;

namespace varnox::ui {

class DirListBox;
class FileListBox;
class JobRunner;
class PreviewBox;
struct ArchiveListing;

// Asks for a folder (caption, folder to start in); empty when the user declined.
using FolderChooser = std::function<QString(const QString& caption, const QString& start)>;
// Asks for an existing file (caption, folder to start in, name filter); empty when declined.
using FileChooser =
    std::function<QString(const QString& caption, const QString& start, const QString& filter)>;

class Form1 : public QWidget {
    Q_OBJECT
  public:
    // module holds the records shared with the converter window; the lists start on programFolder.
    // The unpack runs on runner (the converter window's), or on a worker of its own when null.
    // Made with new: once closed, the window deletes itself.
    Form1(Module1& module, const QString& programFolder, JobRunner* runner = nullptr,
          QWidget* parent = nullptr);
    // Stops and waits for its own unpack.
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    static QString Caption();

    // The controls, by their design names.
    FileListBox* filFile = nullptr;
    QPlainTextEdit* txtinfo = nullptr;
    QCheckBox* Check1 = nullptr;
    DirListBox* Dir1 = nullptr;
    // Progress of the running unpack, its cancel button and how it ended.
    QProgressBar* prgjob = nullptr;
    QPushButton* btncancel = nullptr;
    QLabel* lblinfo = nullptr;
    // The items of the archive clicked last: number, type, name, size of the data.
    QTreeWidget* lstitems = nullptr;
    // The selected picture item.
    PreviewBox* preview = nullptr;
    QPushButton* btnextract = nullptr;
    QPushButton* btnreplace = nullptr;

    void Form_Load();
    void Dir1_Change();
    void filFile_Click();
    void btncancel_Click();
    void lstitems_SelectionChanged();
    void btnextract_Click();
    void btnreplace_Click();

    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    void setQuestionSink(QuestionSink sink) { questions_ = std::move(sink); }
    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void ShowMessage(const QString& text);

    // True while the report and unpack of a clicked archive run.
    bool IsBusy() const;
    // True once the window was closed; it deletes itself when its work is done.
    bool IsClosing() const { return closing_; }
    JobRunner& Runner() const { return *runner_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ApplyEnabled();
    void PlaceControls();
    void ShowProgress();
    void ShowReport(const QString& text, bool failures);
    void ShowItems(const std::shared_ptr<ArchiveListing>& listing, int select);
    void StartedJob(bool cancellable);
    void EndedJob();
    // The directory index of the one selected item, or -1.
    int SelectedItem() const;

    Module1& module_;
    QString programFolder_;
    MessageSink sink_;
    QuestionSink questions_;
    FolderChooser chooseFolder_;
    FileChooser chooseFile_;
    // The archive whose items the list shows, and its model; empty and null for none.
    QString archive_;
    std::shared_ptr<const ArchiveModel> model_;
    // Where the selected picture item is written for the preview to decode.
    std::unique_ptr<QTemporaryDir> previewDir_;
    QString previewFile_;
    int previewCount_ = 0;
    bool cancellable_ = false;
    std::unique_ptr<JobRunner> ownRunner_;
    JobRunner* runner_ = nullptr;
    QTimer* poll_ = nullptr;
    // Check1's tick, for the unpack to read afresh before each item.
    std::shared_ptr<std::atomic<bool>> unpackWanted_;
    bool closing_ = false;
    bool listHadFocus_ = false;
};

} // namespace varnox::ui
