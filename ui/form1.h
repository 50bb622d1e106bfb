#pragma once
// The unpacker window: a folder list and a file list for RES archives, the report of the
// archive clicked last, and the automatic unpack of its picture items; beside them the
// archive's items, a preview of the selected picture, its extract and a picture replaced.

#include "formats/archive.h"
#include "formats/module1.h"
#include "ui/itemview.h"
#include "ui/messages.h"
#include "ui/reportview.h"

#include <QAbstractItemModel>
#include <QList>
#include <QUrl>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QMenu;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace varnox::ui {

class DirListBox;
class EditWatch;
class FileListBox;
class FolderMemory;
class ItemFilter;
class ItemTable;
class JobRunner;
class PathBox;
class PreviewBox;
struct ArchiveListing;
struct TakenBack;

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
    ReportView* txtinfo = nullptr;
    QCheckBox* Check1 = nullptr;
    DirListBox* Dir1 = nullptr;
    // The folder of the lists as a path to type or paste, with the folders used last.
    PathBox* txtpath = nullptr;
    // "Versteckte Ordner" (Ctrl+H): the folder list shows hidden folders too.
    QCheckBox* chkhidden = nullptr;
    // "Öffnen…" (Ctrl+O): an archive chosen in the file dialog.
    QPushButton* btnopen = nullptr;
    // Progress of the running unpack, its cancel button and how it ended.
    QProgressBar* prgjob = nullptr;
    QPushButton* btncancel = nullptr;
    QLabel* lblinfo = nullptr;
    // The items of the archive clicked last: number, type, name, size of the data. Rows are
    // dragged out as files; a picture file dropped on a picture item replaces it.
    ItemView* lstitems = nullptr;
    // Keeps the rows whose number or name holds its text (Ctrl+F); the count beside it.
    QLineEdit* txtfilter = nullptr;
    QLabel* lblcount = nullptr;
    // Keeps the rows of one type: "alle", "Grafik", "Sound", "Schrift", "Sprite", "andere".
    QComboBox* cbotype = nullptr;
    // The bytes of the selected item that is no picture, in hex and as Latin-1 text.
    QPlainTextEdit* txtbytes = nullptr;
    // "Bearbeiten…": the selected picture in the user's editor, each save taken back on asking.
    QPushButton* btnedit = nullptr;
    // The selected picture item.
    PreviewBox* preview = nullptr;
    // "Alle entpacken…": every item and archive.txt; "Auswahl entpacken…": the selected items.
    QPushButton* btnextractall = nullptr;
    QPushButton* btnextractsel = nullptr;
    // "Bilder auch als PNG": "Alle entpacken…" writes each picture also as a PNG beside its GFP.
    QCheckBox* chkpng = nullptr;
    // "Packen…": a folder with archive.txt into an archive (the old one kept as its .bak).
    QPushButton* btnpack = nullptr;
    QPushButton* btnreplace = nullptr;
    // Puts the selected archive back from its ".bak"; brings back the converter window.
    QPushButton* btnrestore = nullptr;
    QPushButton* btnconverter = nullptr;

    void Form_Load();
    void Dir1_Change();
    void txtpath_Enter(const QString& folder);
    void chkhidden_Click();
    void btnopen_Click();
    void filFile_Click();
    void btncancel_Click();
    void lstitems_SelectionChanged();
    void btnextractall_Click();
    void btnextractsel_Click();
    void btnreplace_Click();
    void btnpack_Click();
    void btnrestore_Click();
    void btnedit_Click();
    void txtfilter_Change();
    // The item list's context menu for the selected items, made anew; the caller owns it.
    QMenu* MakeItemMenu();
    // "Als PNG speichern…": the one selected picture item as a PNG into a folder chosen.
    void SaveItemPng();
    // A picture file dropped on item (directory index): asks, then replaces the item.
    void lstitems_Drop(int item, const QString& picture);
    // Shows the archive at path: its folder in the lists, the archive clicked.
    void OpenArchive(const QString& path);

    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    void setQuestionSink(QuestionSink sink) { questions_ = std::move(sink); }
    void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void ShowMessage(const QString& text, MessageKind kind = MessageKind::Warning);
    // Remembers the folder of the list as it changes; none: nothing is remembered.
    void setFolderMemory(std::shared_ptr<FolderMemory> memory);
    // What "Konverter" runs: shows the converter window; unset, the button is hidden.
    void setConverter(std::function<void()> show);
    // The number of items of the archive, and of those the filter keeps.
    int ItemCount() const;
    int ShownItemCount() const;
    // The pictures out in the editor.
    EditWatch& Edits() const { return *edits_; }

    // True while the report and unpack of a clicked archive run.
    bool IsBusy() const;
    // True once the window was closed; it deletes itself when its work is done.
    bool IsClosing() const { return closing_; }
    JobRunner& Runner() const { return *runner_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ReplaceFrom(int index, const QString& picture);
    QString ReplaceQuestion(int item, const QString& picture) const;
    void StartEdit(int index);
    void EditSaved(const QString& png);
    void TakeBackEdit(const QString& png);
    void ShowTakenBack(const std::shared_ptr<TakenBack>& done, const QString& png, int index,
                       const QString& source);
    void EndEdits();
    void ShowCount();
    void ShowPlaces();
    void ShowItemsTip();
    QList<QUrl> DragFiles(const QModelIndexList& rows);
    void ApplyEnabled();
    void PlaceControls();
    void ShowProgress();
    void MakeControls();
    void ShapeItemList();
    void NameControls();
    void ConnectControls();
    // The report and items of listing, item select selected (-1: none).
    void ShowListing(const std::shared_ptr<ArchiveListing>& listing, int select = -1);
    void ShowItems(const std::shared_ptr<ArchiveListing>& listing, int select);
    void ShowItemPreview(int index);
    void ShowItemBytes(int index);
    void Extract(const std::vector<std::size_t>& only);
    QString ChooseExtractFolder();
    void PackFolder(const QString& folder, const QString& archive);
    void ShowFolderJobEnd(const Status& status, const QString& done);
    void ShowFolderJobFailure(const QString& file, const QString& failure);
    bool EndReport();
    void ShowReport(const std::shared_ptr<ArchiveListing>& listing, const QString& archive);
    QString ReplaceToolTip(int selected) const;
    QString SelectedArchive() const;
    void RefreshLists();
    void StartedJob(bool cancellable);
    void EndedJob();
    // The directory index of the one selected item, or -1.
    int SelectedItem() const;
    std::vector<std::size_t> SelectedItems() const;

    Module1& module_;
    QString programFolder_;
    MessageSink sink_;
    QuestionSink questions_;
    std::shared_ptr<FolderMemory> memory_;
    std::function<void()> showConverter_;
    FolderChooser chooseFolder_;
    FileChooser chooseFile_;
    // The archive whose items the list shows, and its model; empty and null for none.
    QString archive_;
    std::shared_ptr<const ArchiveModel> model_;
    ItemTable* table_ = nullptr;
    ItemFilter* filter_ = nullptr;
    EditWatch* edits_ = nullptr;
    // Saves told while a job ran; taken back once it has ended.
    QStringList pendingEdits_;
    bool cancellable_ = false;
    std::unique_ptr<JobRunner> ownRunner_;
    JobRunner* runner_ = nullptr;
    QTimer* poll_ = nullptr;
    QTimer* clickLater_ = nullptr; // runs filFile_Click once the window thread is free
    // Check1's tick, for the unpack to read afresh before each item.
    std::shared_ptr<std::atomic<bool>> unpackWanted_;
    bool closing_ = false;
    // The running job reads a report (and may unpack); a click meanwhile waits for its end.
    bool reportJob_ = false;
    bool clickWaiting_ = false;
};

} // namespace varnox::ui
