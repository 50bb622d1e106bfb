#include "ui/form1.h"

#include "formats/res.h"
#include "jobs/archive.h"
#include "jobs/report.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/jobrunner.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <algorithm>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

namespace varnox::ui {

namespace {

// The lists, the report, the items with the preview, and a row for the job below.
constexpr int kWidthTwips = 11880;
constexpr int kHeightTwips = 6600;
constexpr int kPollMilliseconds = 50;
constexpr int kBarSteps = 1000;

// "3 Bilder entpackt, 1 nicht entpackt", "Abgebrochen: 1 Bild entpackt".
QString UnpackSummary(const jobs::ReportResult& result, bool cancelled)
{
    QString text = cancelled ? QStringLiteral("Abgebrochen: ") : QString();
    text += result.written == 1 ? QStringLiteral("1 Bild entpackt")
                                : QStringLiteral("%1 Bilder entpackt").arg(result.written);
    if (!result.failures.empty())
        text += QStringLiteral(", %1 nicht entpackt").arg(result.failures.size());
    return text;
}

enum ItemColumn { kNumber, kType, kName, kSize, kColumns };

} // namespace

// What a job on the worker found of an archive: its report, and its items for the list.
struct ArchiveListing {
    jobs::ReportResult report;
    QString failure; // the reason the report could not be made
    bool listed = false;
    ArchiveModel model;
    std::vector<std::int64_t> lengths;

    // Reads the report (extracting while wanted says so) and the items of folder/file.
    void Read(Module1& module, const QString& folder, const QString& file, const jobs::ReportOptions& options)
    {
        try {
            const Path from = ToPath(folder);
            const std::string name = QFile::encodeName(file).toStdString();
            report = jobs::RunArchiveReport(module, from, name, options);
            if (report.valid && ReadArchive(module, from / name, model).ok()) {
                lengths = jobs::ItemDataLengths(from / name, model);
                listed = lengths.size() == model.items.size();
            }
        } catch (const std::exception& error) {
            failure = QString::fromStdString(error.what());
        }
    }
};

QString Form1::Caption()
{
    return QStringLiteral("Varnox unpack v0.1") + QString::fromUtf16(kCredit);
}

Form1::Form1(Module1& module, const QString& programFolder, JobRunner* runner, QWidget* parent)
    : QWidget(parent), module_(module), programFolder_(programFolder),
      ownRunner_(runner == nullptr ? std::make_unique<JobRunner>() : nullptr),
      runner_(runner == nullptr ? ownRunner_.get() : runner),
      unpackWanted_(std::make_shared<std::atomic<bool>>(false))
{
    setWindowTitle(Caption());
    setFont(WindowFont());
    // The window may grow: the lists keep their places and the report takes the room.
    setMinimumSize(Twips(0, 0, kWidthTwips, kHeightTwips).size());
    resize(minimumSize());

    // In tab order.
    filFile = new FileListBox(this);
    filFile->setObjectName(QStringLiteral("filFile"));
    filFile->setPattern(QStringLiteral("*.res"));
    filFile->setGeometry(Twips(120, 2040, 2055, 2040));

    txtinfo = new QPlainTextEdit(this);
    txtinfo->setObjectName(QStringLiteral("txtinfo"));
    txtinfo->setGeometry(Twips(2280, 120, 4575, 4455));
    txtinfo->setReadOnly(true);
    txtinfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtinfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtinfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtinfo->setTabStopDistance(4 * txtinfo->fontMetrics().horizontalAdvance(u' '));

    Check1 = new QCheckBox(QStringLiteral("Automatic unpack"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(Twips(120, 4080, 2055, 375));

    Dir1 = new DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(Twips(120, 120, 1935, 1890));

    prgjob = new QProgressBar(this);
    prgjob->setObjectName(QStringLiteral("prgjob"));
    prgjob->setRange(0, kBarSteps);
    prgjob->setValue(0);
    lblinfo = new QLabel(this);
    lblinfo->setObjectName(QStringLiteral("lblinfo"));
    btncancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btncancel->setObjectName(QStringLiteral("btncancel"));
    btncancel->setAutoDefault(false);
    btncancel->setEnabled(false);

    lstitems = new QTreeWidget(this);
    lstitems->setObjectName(QStringLiteral("lstitems"));
    lstitems->setColumnCount(kColumns);
    lstitems->setHeaderLabels(
        {QStringLiteral("Nr."), QStringLiteral("Typ"), QStringLiteral("Name"), QStringLiteral("Größe")});
    lstitems->setRootIsDecorated(false);
    lstitems->setUniformRowHeights(true);
    lstitems->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstitems->header()->setStretchLastSection(false);
    lstitems->header()->setSectionResizeMode(kName, QHeaderView::Stretch);
    lstitems->setColumnWidth(kNumber, 50);
    lstitems->setColumnWidth(kType, 80);
    lstitems->setColumnWidth(kSize, 70);

    btnextract = new QPushButton(QStringLiteral("Entpacken…"), this);
    btnextract->setObjectName(QStringLiteral("btnextract"));
    btnextract->setAutoDefault(false);
    btnreplace = new QPushButton(QStringLiteral("Ersetzen…"), this);
    btnreplace->setObjectName(QStringLiteral("btnreplace"));
    btnreplace->setAutoDefault(false);
    preview = new PreviewBox(this);
    preview->setObjectName(QStringLiteral("preview"));

    setTabOrder(filFile, txtinfo);
    setTabOrder(txtinfo, lstitems);
    setTabOrder(lstitems, btnextract);
    setTabOrder(btnextract, btnreplace);
    setTabOrder(btnreplace, Check1);
    setTabOrder(Check1, Dir1);
    setTabOrder(Dir1, btncancel);
    filFile->setFocus();

    poll_ = new QTimer(this);
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, &Form1::ShowProgress);
    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change);
    connect(Dir1, &DirListBox::ListFailed, this, &Form1::ShowMessage);
    connect(filFile, &FileListBox::Click, this, &Form1::filFile_Click);
    connect(Check1, &QCheckBox::stateChanged, this,
            [this](int state) { *unpackWanted_ = state != Qt::Unchecked; });
    connect(btncancel, &QPushButton::clicked, this, &Form1::btncancel_Click);
    connect(lstitems, &QTreeWidget::itemSelectionChanged, this, &Form1::lstitems_SelectionChanged);
    connect(btnextract, &QPushButton::clicked, this, &Form1::btnextract_Click);
    connect(btnreplace, &QPushButton::clicked, this, &Form1::btnreplace_Click);
    connect(runner_, &JobRunner::BusyChanged, this, &Form1::ApplyEnabled);
    ApplyEnabled();
    PlaceControls();
}

Form1::~Form1()
{
    if (runner_->IsRunningFor(this))
        runner_->CancelAndWait();
}

bool Form1::IsBusy() const
{
    return runner_->IsRunningFor(this);
}

void Form1::ApplyEnabled()
{
    // While an unpack runs the lists take no input: a click would start a second job, and a
    // change of folder would move the list under the running one.
    const bool own = runner_->IsRunningFor(this);
    filFile->setEnabled(!runner_->IsBusy());
    Dir1->setEnabled(!own);
    btncancel->setEnabled(own && cancellable_);
    btnextract->setEnabled(!runner_->IsBusy() && model_ != nullptr);
    const int selected = SelectedItem();
    btnreplace->setEnabled(!runner_->IsBusy() && selected >= 0 &&
                           model_->items[static_cast<std::size_t>(selected)].entry.itemDataType ==
                               kItemTypePicture);
    if (!own && listHadFocus_ && filFile->isEnabled()) {
        filFile->setFocus();
        listHadFocus_ = false;
    }
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceControls();
}

// The lists keep their places; the report and the items with the preview share what the
// window grew by, and the job's row keeps its distance from the bottom edge.
void Form1::PlaceControls()
{
    const QSize design = Twips(0, 0, kWidthTwips, kHeightTwips).size();
    const int dx = std::max(0, width() - design.width());
    const int dy = std::max(0, height() - design.height());
    const int left = dx / 2;
    const int right = dx - left;
    const int top = dy / 2;
    txtinfo->setGeometry(Twips(2280, 120, 4575, 5955).adjusted(0, 0, left, dy));
    lstitems->setGeometry(Twips(6960, 120, 4800, 2400).adjusted(left, 0, dx, top));
    btnextract->setGeometry(Twips(6960, 2640, 1500, 375).translated(left, top));
    btnreplace->setGeometry(Twips(8580, 2640, 1500, 375).translated(left, top));
    preview->setGeometry(Twips(6960, 3120, 4800, 2955).adjusted(left, top, left + right, dy));
    prgjob->setGeometry(Twips(120, 6195, 2055, 345).translated(0, dy));
    lblinfo->setGeometry(Twips(2280, 6210, 8265, 300).adjusted(0, dy, dx, dy));
    btncancel->setGeometry(Twips(10665, 6180, 1095, 375).translated(dx, dy));
    ShowStatus(lblinfo);
}

void Form1::ShowProgress()
{
    const jobs::JobProgress* progress = runner_->Progress();
    if (progress == nullptr || !runner_->IsRunningFor(this))
        return;
    const std::int64_t total = progress->Total();
    if (total <= 0) {
        prgjob->setRange(0, 0);
        return;
    }
    prgjob->setRange(0, kBarSteps);
    prgjob->setValue(static_cast<int>(std::min(progress->Done(), total) * kBarSteps / total));
}

void Form1::btncancel_Click()
{
    if (runner_->IsRunningFor(this)) {
        runner_->Cancel();
        ShowStatus(lblinfo, QStringLiteral("Breche ab …"));
    }
}

void Form1::ShowMessage(const QString& text)
{
    ShowMessageBox(this, sink_, text);
}

void Form1::Form_Load()
{
    try {
        filFile->setPath(programFolder_);
        Dir1->setPath(programFolder_);
    } catch (const std::exception& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}

void Form1::Dir1_Change()
{
    try {
        filFile->setPath(Dir1->path());
    } catch (const std::exception& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}

void Form1::filFile_Click()
{
    const QString folder = filFile->path();
    const QString name = filFile->FileName();
    if (runner_->IsBusy() || name.isEmpty())
        return;

    txtinfo->clear();
    ShowStatus(lblinfo, {});
    ShowItems(nullptr, -1);
    *unpackWanted_ = Check1->checkState() != Qt::Unchecked;
    listHadFocus_ = focusWidget() == filFile;
    if (listHadFocus_)
        txtinfo->setFocus();
    auto listing = std::make_shared<ArchiveListing>();
    const bool started = runner_->Start(
        this,
        [this, listing, wanted = unpackWanted_, folder, name](jobs::JobProgress& progress) {
            jobs::ReportOptions options;
            options.extractWanted = [wanted] { return wanted->load(); };
            options.progress = &progress;
            listing->Read(module_, folder, name, options);
        },
        [this, listing, archive = QDir::cleanPath(folder + u'/' + name)] {
            const bool cancelled = runner_->Progress()->Cancelled();
            EndedJob();
            const jobs::ReportResult& result = listing->report;
            if (!listing->failure.isEmpty()) {
                ShowStatus(lblinfo, {});
                if (!closing_)
                    ShowMessage(QStringLiteral("Das Archiv kann nicht ausgewertet werden: %1: %2")
                                    .arg(archive, listing->failure));
            } else {
                ShowReport(ToQString(jobs::ReportText(result)), !result.failures.empty());
                if (listing->listed) {
                    archive_ = archive;
                    ShowItems(listing, -1);
                }
                if (result.valid)
                    ShowStatus(lblinfo,
                               result.written > 0 || !result.failures.empty() || cancelled
                                   ? UnpackSummary(result, cancelled)
                                   : QStringLiteral("Fertig: %1").arg(QFileInfo(archive).fileName()));
            }
            Dir1->Refresh();
            filFile->Refresh();
            if (closing_)
                deleteLater();
        });
    if (started)
        StartedJob(true);
}

void Form1::StartedJob(bool cancellable)
{
    cancellable_ = cancellable;
    ApplyEnabled();
    setCursor(Qt::BusyCursor);
    prgjob->setValue(0);
    poll_->start();
}

void Form1::EndedJob()
{
    poll_->stop();
    unsetCursor();
    const bool cancelled = runner_->Progress()->Cancelled();
    prgjob->setRange(0, kBarSteps);
    prgjob->setValue(cancelled ? 0 : kBarSteps);
}

// Fills the item list from listing (empties it for null) and selects item select, if any,
// without raising the selection change.
void Form1::ShowItems(const std::shared_ptr<ArchiveListing>& listing, int select)
{
    const QSignalBlocker blocker(lstitems);
    lstitems->clear();
    preview->Clear();
    if (listing == nullptr) {
        archive_.clear();
        model_.reset();
        ApplyEnabled();
        return;
    }
    model_ = std::shared_ptr<const ArchiveModel>(listing, &listing->model);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(listing->model.items.size()));
    for (std::size_t i = 0; i < listing->model.items.size(); ++i) {
        const ResItem& entry = listing->model.items[i].entry;
        auto* row = new QTreeWidgetItem;
        row->setText(kNumber, QStringLiteral("#%1").arg(i));
        row->setText(kType, ToQString(ItemTypeLabel(entry.itemDataType)));
        row->setText(kName, ToQString(Latin1ToUtf8(ItemName(entry))));
        row->setText(kSize, QString::number(listing->lengths[i]));
        row->setTextAlignment(kNumber, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    lstitems->addTopLevelItems(rows);
    if (select >= 0 && select < rows.size())
        lstitems->setCurrentItem(rows[select]);
    ApplyEnabled();
}

int Form1::SelectedItem() const
{
    const QList<QTreeWidgetItem*> selected = lstitems->selectedItems();
    if (model_ == nullptr || selected.size() != 1)
        return -1;
    return lstitems->indexOfTopLevelItem(selected.front());
}

void Form1::lstitems_SelectionChanged()
{
    ApplyEnabled();
    if (!previewFile_.isEmpty())
        QFile::remove(previewFile_);
    previewFile_.clear();
    const int index = SelectedItem();
    if (index < 0 || model_->items[static_cast<std::size_t>(index)].entry.itemDataType != kItemTypePicture) {
        preview->Clear();
        return;
    }
    const jobs::ItemGfp item = jobs::ReadItemGfp(ToPath(archive_), *model_, static_cast<std::size_t>(index));
    if (!item.ok) {
        preview->Clear();
        ShowStatus(lblinfo, ToQString(jobs::MessageText(item.refusal)));
        return;
    }
    // The preview decodes files: the item's GFP goes into a file of its own, under a new name
    // each time so that an item changed on disk is never taken for the one shown before.
    if (!previewDir_)
        previewDir_ = std::make_unique<QTemporaryDir>();
    QFile file(previewDir_->filePath(QStringLiteral("item%1.gfp").arg(++previewCount_)));
    const auto size = static_cast<qint64>(item.gfp.size());
    if (!previewDir_->isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(item.gfp.data()), size) != size || !file.flush()) {
        const QString reason = previewDir_->isValid() ? file.errorString() : previewDir_->errorString();
        file.remove();
        preview->Clear();
        ShowStatus(lblinfo, QStringLiteral("Die Vorschau kann nicht geschrieben werden: %1").arg(reason));
        return;
    }
    file.close();
    previewFile_ = file.fileName();
    preview->Show(previewFile_);
}

void Form1::btnextract_Click()
{
    if (runner_->IsBusy() || model_ == nullptr)
        return;
    const QString start = ToQString(jobs::ExtractFolder(ToPath(archive_)));
    const QString caption = QStringLiteral("Entpacken nach");
    const QString folder = chooseFolder_ ? chooseFolder_(caption, start)
                                         : QFileDialog::getExistingDirectory(this, caption, start);
    if (folder.isEmpty())
        return;
    ShowStatus(lblinfo, QStringLiteral("Entpacke …"));
    // The selected items, or every item when none is selected.
    std::vector<std::size_t> only;
    for (QTreeWidgetItem* row : lstitems->selectedItems())
        only.push_back(static_cast<std::size_t>(lstitems->indexOfTopLevelItem(row)));
    std::sort(only.begin(), only.end());
    auto result = std::make_shared<jobs::ExtractResult>();
    const bool started = runner_->Start(
        this,
        [this, result, archive = ToPath(archive_), to = ToPath(folder), only](jobs::JobProgress&) {
            // As the conversions do: a file of other content is replaced only when the user says so.
            const jobs::ReplaceQuestion ask = [this](const Path& target) {
                return runner_->Ask([this, target] {
                    return AskQuestion(
                        this, questions_,
                        QStringLiteral("Die Datei gibt es schon, mit anderem Inhalt:\n%1\n\nSoll sie ersetzt werden?")
                            .arg(ToQString(target)),
                        true);
                });
            };
            try {
                *result = jobs::ExtractArchive(module_, archive, to, only, ask);
            } catch (const std::exception& error) {
                result->ok = false;
                result->refusal = {PathText(archive), error.what()};
            }
        },
        [this, result] {
            EndedJob();
            if (result->ok) {
                const QString written = result->written == 1
                                            ? QStringLiteral("1 Eintrag entpackt")
                                            : QStringLiteral("%1 Einträge entpackt").arg(result->written);
                const QString replaced = result->replaced.empty()
                                             ? QString()
                                             : QStringLiteral(", %1 ersetzt").arg(result->replaced.size());
                ShowStatus(lblinfo, written + replaced + QStringLiteral(", ") + ToQString(result->status));
            } else {
                ShowStatus(lblinfo, {});
                if (!closing_)
                    ShowMessage(ToQString(jobs::MessageText(result->refusal)));
            }
            Dir1->Refresh();
            filFile->Refresh();
            if (closing_)
                deleteLater();
        });
    if (started)
        StartedJob(false);
}

void Form1::btnreplace_Click()
{
    const int index = SelectedItem();
    if (runner_->IsBusy() || index < 0)
        return;
    const QString caption = QStringLiteral("Neues Bild wählen");
    const QString start = QFileInfo(archive_).path();
    const QString filter = QStringLiteral("Bilder (*.gfp *.tga *.png)");
    const QString picture = chooseFile_ ? chooseFile_(caption, start, filter)
                                        : QFileDialog::getOpenFileName(this, caption, start, filter);
    if (picture.isEmpty())
        return;
    const QString name = lstitems->topLevelItem(index)->text(kName);
    const QString question = QStringLiteral("Ersetzen?\n#%1 %2 in %3 durch %4")
                                 .arg(index)
                                 .arg(name, QFileInfo(archive_).fileName(), QFileInfo(picture).fileName());
    if (AskQuestion(this, questions_, question, false) != jobs::ReplaceAnswer::Yes)
        return;
    ShowStatus(lblinfo, QStringLiteral("Ersetze …"));
    auto replaced = std::make_shared<jobs::ReplaceResult>();
    auto listing = std::make_shared<ArchiveListing>();
    const QFileInfo archive(archive_);
    const bool started = runner_->Start(
        this,
        [this, replaced, listing, folder = archive.path(), file = archive.fileName(), index,
         from = ToPath(picture)](jobs::JobProgress& progress) {
            try {
                *replaced = jobs::ReplaceItem(module_, ToPath(folder + u'/' + file),
                                              "#" + std::to_string(index), from, GfpPacking::Zlib);
            } catch (const std::exception& error) {
                replaced->ok = false;
                replaced->refusal = {PathText(from), error.what()};
            }
            if (!replaced->ok)
                return;
            jobs::ReportOptions options; // a fresh report, without unpacking
            options.progress = &progress;
            listing->Read(module_, folder, file, options);
        },
        [this, replaced, listing, index, name, path = archive_] {
            EndedJob();
            if (!replaced->ok) {
                ShowStatus(lblinfo, {});
                if (!closing_)
                    ShowMessage(ToQString(jobs::MessageText(replaced->refusal)));
            } else {
                if (listing->failure.isEmpty())
                    ShowReport(ToQString(jobs::ReportText(listing->report)),
                               !listing->report.failures.empty());
                ShowItems(listing->listed ? listing : nullptr, index);
                if (listing->listed)
                    archive_ = path;
                lstitems_SelectionChanged();
                ShowStatus(lblinfo, QStringLiteral("Fertig: #%1 %2 ersetzt").arg(index).arg(name));
            }
            if (closing_)
                deleteLater();
        });
    if (started)
        StartedJob(false);
}

void Form1::ShowReport(const QString& text, bool failures)
{
    txtinfo->setPlainText(text);
    // The box opens on the lines of the items that were not written, when there are any.
    const QTextBlock notUnpacked =
        failures ? txtinfo->document()->find(QStringLiteral("Nicht entpackt: ")).block() : QTextBlock();
    if (!notUnpacked.isValid())
        return;
    QTextCursor at(notUnpacked);
    txtinfo->moveCursor(QTextCursor::End);
    txtinfo->setTextCursor(at);
    txtinfo->ensureCursorVisible();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A running unpack stops after its current item; the window goes once the job has ended.
    closing_ = true;
    event->accept();
    if (runner_->IsRunningFor(this))
        runner_->Cancel();
    else
        deleteLater();
}

} // namespace varnox::ui
