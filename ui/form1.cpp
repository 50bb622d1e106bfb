#include "ui/form1.h"

#include "jobs/restore.h"
#include "ui/dirlistbox.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/foldermemory.h"
#include "ui/folders.h"
#include "ui/itemtable.h"
#include "ui/itemview.h"
#include "ui/jobrunner.h"
#include "ui/pathbox.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace varnox::ui {

namespace {

// The lists, the report, the items with the preview, and a row for the job below.
constexpr int kWidthTwips = 11880;
constexpr int kHeightTwips = 6600;
constexpr int kPollMilliseconds = 50;
constexpr int kBarSteps = 1000;

} // namespace

QString Form1::Caption()
{
    return QStringLiteral("Varnox unpack v0.1") + Credit();
}

Form1::Form1(Module1& module, const QString& programFolder, JobRunner* runner, QWidget* parent)
    : QWidget(parent), module_(module), programFolder_(programFolder),
      ownRunner_(runner == nullptr ? std::make_unique<JobRunner>() : nullptr),
      runner_(runner == nullptr ? ownRunner_.get() : runner),
      unpackWanted_(std::make_shared<std::atomic<bool>>(false))
{
    setWindowTitle(Caption());
    setFont(WindowFont());
    // The places below are the initial layout; a larger window gives its room to the lists,
    // the report, the items and the preview.
    setMinimumSize(Twips(0, 0, kWidthTwips, kHeightTwips).size());
    resize(minimumSize());
    MakeControls();
    ConnectControls();
    ApplyEnabled();
    PlaceControls();
}

void Form1::MakeControls()
{
    filFile = MakeControl(new FileListBox(this), "filFile",
                          Varnox::tr("Die RES-Archive im Ordner: ein Klick zeigt den Bericht"));
    filFile->setPattern(QStringLiteral("*.res"));
    txtinfo =
        MakeControl(new ReportView(this), "txtinfo", Varnox::tr("Der Bericht des zuletzt gewählten Archivs"));
    txtinfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Check1 =
        MakeControl(new QCheckBox(QStringLiteral("&Automatic unpack"), this), "Check1",
                    Varnox::tr("Beim Klick auf ein Archiv seine Bilder in einen Ordner daneben schreiben"));
    Dir1 = MakeControl(new DirListBox(this), "Dir1", Varnox::tr("Der Ordner: Doppelklick oder Enter öffnet"));
    txtpath = MakeControl(new PathBox(this), "txtpath", PathBox::ToolTip());
    chkhidden = MakeControl(new QCheckBox(Varnox::tr("Versteckte Ordner"), this), "chkhidden",
                            Varnox::tr("Zeigt auch versteckte Ordner (Strg+H)"));
    btnopen = MakeControl(new QPushButton(Varnox::tr("Ö&ffnen…"), this), "btnopen",
                          Varnox::tr("Öffnet ein Archiv über den Dateidialog (Strg+O)"));
    lstitems = MakeControl(new ItemView(this), "lstitems", QString());
    table_ = new ItemTable(this);
    filter_ = new ItemFilter(table_, this);
    lstitems->setModel(filter_);
    txtfilter =
        MakeControl(new QLineEdit(this), "txtfilter",
                    Varnox::tr("Zeigt nur die Einträge, deren Nummer oder Name den Text enthält (Strg+F)"));
    txtfilter->setPlaceholderText(Varnox::tr("Suchen (Strg+F)"));
    txtfilter->setClearButtonEnabled(true);
    cbotype = MakeControl(new QComboBox(this), "cbotype", Varnox::tr("Zeigt nur die Einträge eines Typs"));
    cbotype->addItem(Varnox::tr("alle"), kAllTypes);
    for (const std::int32_t type : kNamedTypes)
        cbotype->addItem(ItemTypeText(type).section(u'(', 0, 0), type);
    cbotype->addItem(Varnox::tr("andere"), kOtherTypes);
    lblcount = MakeControl(new QLabel(this), "lblcount", Varnox::tr("Gezeigte von allen Einträgen"));
    lblcount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ShapeItemList();
    btnextractall = MakeControl(new QPushButton(Varnox::tr("A&lle entpacken…"), this), "btnextractall",
                                Varnox::tr("Schreibt alle Einträge und archive.txt in einen Ordner"));
    btnextractsel =
        MakeControl(new QPushButton(Varnox::tr("Aus&wahl entpacken…"), this), "btnextractsel", QString());
    chkpng = MakeControl(new QCheckBox(Varnox::tr("Bilder auch als PN&G"), this), "chkpng",
                         Varnox::tr("\"Alle entpacken…\" schreibt jedes Bild auch als PNG neben seine GFP; "
                                    "\"Packen…\" übernimmt eine geänderte PNG"));
    btnpack = MakeControl(new QPushButton(Varnox::tr("&Packen…"), this), "btnpack",
                          Varnox::tr("Packt einen Ordner mit archive.txt in ein Archiv"));
    btnreplace = MakeControl(new QPushButton(Varnox::tr("&Ersetzen…"), this), "btnreplace", QString());
    btnrestore = MakeControl(new QPushButton(Varnox::tr("Wieder&herstellen"), this), "btnrestore", QString());
    btnedit = MakeControl(new QPushButton(Varnox::tr("Bearbe&iten…"), this), "btnedit", QString());
    preview = MakeControl(new PreviewBox(this), "preview", Varnox::tr("Vorschau des gewählten Eintrags"));
    txtbytes = MakeControl(new QPlainTextEdit(this), "txtbytes",
                           Varnox::tr("Die Bytes des gewählten Eintrags: Offset, Hex und Text (Latin-1)"));
    txtbytes->setReadOnly(true);
    txtbytes->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtbytes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtbytes->hide();
    btnconverter = MakeControl(new QPushButton(Varnox::tr("&Konverter"), this), "btnconverter",
                               Varnox::tr("Zeigt das Fenster zum Umwandeln wieder"));
    btnconverter->hide();
    prgjob = MakeControl(new QProgressBar(this), "prgjob", Varnox::tr("Fortschritt der laufenden Arbeit"));
    prgjob->setRange(0, kBarSteps);
    prgjob->reset();
    prgjob->setTextVisible(false);
    lblinfo = MakeControl(new QLabel(this), "lblinfo", QString());
    btncancel = MakeControl(new QPushButton(Varnox::tr("A&bbrechen"), this), "btncancel",
                            Varnox::tr("Bricht die laufende Arbeit nach dem Eintrag in Arbeit ab"));
    btncancel->setEnabled(false);
    NameControls();
    ShowItemsTip();

    QWidget* const tabOrder[] = {filFile,       txtinfo,       txtfilter,    cbotype,  lstitems,
                                 btnextractall, btnextractsel, btnreplace,   btnedit,  btnrestore,
                                 btnpack,       chkpng,        Check1,       txtpath,  Dir1,
                                 chkhidden,     btnopen,       btnconverter, btncancel};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    filFile->setFocus();
}

// The names a screen reader tells for the controls without a visible label.
void Form1::NameControls()
{
    Dir1->setAccessibleName(Varnox::tr("Ordner"));
    filFile->setAccessibleName(Varnox::tr("Dateien"));
    lstitems->setAccessibleName(Varnox::tr("Einträge"));
    txtinfo->setAccessibleName(Varnox::tr("Bericht"));
    txtfilter->setAccessibleName(Varnox::tr("Filter"));
    for (QToolButton* clear : txtfilter->findChildren<QToolButton*>())
        clear->setAccessibleName(Varnox::tr("Filter leeren"));
    preview->setAccessibleName(Varnox::tr("Vorschau"));
    txtbytes->setAccessibleName(Varnox::tr("Bytes"));
    cbotype->setAccessibleName(Varnox::tr("Typ"));
    lblcount->setAccessibleName(Varnox::tr("Anzahl"));
    prgjob->setAccessibleName(Varnox::tr("Fortschritt"));
    lblinfo->setAccessibleName(Varnox::tr("Status"));
}

void Form1::ConnectControls()
{
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, &Form1::ShowProgress);
    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change);
    connect(txtpath, &PathBox::PathEntered, this, &Form1::txtpath_Enter);
    connect(chkhidden, &QCheckBox::clicked, this, &Form1::chkhidden_Click);
    connect(btnopen, &QPushButton::clicked, this, &Form1::btnopen_Click);
    auto* hidden = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(hidden, &QShortcut::activated, this, [this] {
        chkhidden->toggle();
        chkhidden_Click();
    });
    auto* open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &Form1::btnopen_Click);
    connect(Dir1, &DirListBox::ListFailed, this, [this](const QString& text) { ShowMessage(text); });
    connect(filFile, &FileListBox::Click, this, &Form1::filFile_Click);
    connect(filFile, &FileListBox::Listed, this, &Form1::ApplyEnabled);
    connect(Check1, &QCheckBox::stateChanged, this,
            [this](int state) { *unpackWanted_ = state != Qt::Unchecked; });
    connect(btncancel, &QPushButton::clicked, this, &Form1::btncancel_Click);
    connect(lstitems->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form1::lstitems_SelectionChanged);
    clickLater_ = new QTimer(this);
    clickLater_->setSingleShot(true);
    clickLater_->setInterval(0);
    connect(clickLater_, &QTimer::timeout, this, &Form1::filFile_Click);
    connect(btnextractall, &QPushButton::clicked, this, &Form1::btnextractall_Click);
    connect(btnextractsel, &QPushButton::clicked, this, &Form1::btnextractsel_Click);
    connect(btnreplace, &QPushButton::clicked, this, &Form1::btnreplace_Click);
    connect(btnpack, &QPushButton::clicked, this, &Form1::btnpack_Click);
    connect(btnrestore, &QPushButton::clicked, this, &Form1::btnrestore_Click);
    connect(btnedit, &QPushButton::clicked, this, &Form1::btnedit_Click);
    connect(txtfilter, &QLineEdit::textChanged, this, &Form1::txtfilter_Change);
    connect(cbotype, &QComboBox::currentIndexChanged, this, &Form1::txtfilter_Change);
    connect(chkpng, &QCheckBox::toggled, this, &Form1::ShowItemsTip);
    connect(lstitems, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (model_ == nullptr || SelectedItems().empty())
            return;
        std::unique_ptr<QMenu> menu(MakeItemMenu());
        menu->exec(lstitems->viewport()->mapToGlobal(at));
    });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        txtfilter->setFocus(Qt::ShortcutFocusReason);
        txtfilter->selectAll();
    });
    connect(filter_, &QAbstractItemModel::modelReset, this, &Form1::ShowCount);
    connect(filter_, &QAbstractItemModel::rowsInserted, this, &Form1::ShowCount);
    connect(filter_, &QAbstractItemModel::rowsRemoved, this, &Form1::ShowCount);
    connect(filter_, &QAbstractItemModel::layoutChanged, this, &Form1::ShowCount);
    connect(lstitems, &ItemView::PictureDropped, this, [this](const QModelIndex& index, const QString& path) {
        lstitems_Drop(filter_->mapToSource(index).row(), path);
    });
    lstitems->setDragFiles([this](const QModelIndexList& rows) { return DragFiles(rows); });
    edits_ = new EditWatch(this);
    connect(edits_, &EditWatch::Saved, this, &Form1::EditSaved);
    // A save that came while a job ran is taken once the window thread is free again.
    auto* const editLater = new QTimer(this);
    editLater->setSingleShot(true);
    editLater->setInterval(0);
    connect(editLater, &QTimer::timeout, this,
            [this] { TakeBackEdit(pendingEdits_.isEmpty() ? QString() : pendingEdits_.takeFirst()); });
    connect(runner_, &JobRunner::BusyChanged, this, [this, editLater](bool busy) {
        if (!busy && !pendingEdits_.isEmpty())
            editLater->start();
    });
    setAcceptDrops(true);
    connect(btnconverter, &QPushButton::clicked, this, [this] {
        if (showConverter_)
            showConverter_();
    });
    connect(runner_, &JobRunner::BusyChanged, this, &Form1::ApplyEnabled);
    AddWindowKeys(this, [this] { RefreshLists(); });
}

void Form1::setConverter(std::function<void()> show)
{
    showConverter_ = std::move(show);
    btnconverter->setVisible(static_cast<bool>(showConverter_));
}

void Form1::RefreshLists()
{
    Dir1->Refresh();
    filFile->Refresh();
    ApplyEnabled();
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
    // While a job of this window runs the folder takes no input, and the file list only
    // during a report: a click then waits for it. Nothing starts a second job.
    const bool own = runner_->IsRunningFor(this);
    const bool busy = runner_->IsBusy();
    filFile->setEnabled(!busy || (own && reportJob_));
    Dir1->setEnabled(!own);
    btncancel->setEnabled(own && cancellable_);
    btnextractall->setEnabled(!busy && model_ != nullptr);
    btnpack->setEnabled(!busy);
    const bool selection = model_ != nullptr && !SelectedItems().empty();
    btnextractsel->setEnabled(!busy && selection);
    btnextractsel->setToolTip(
        selection ? Varnox::tr("Schreibt die gewählten Einträge in einen Ordner, ohne archive.txt")
                  : Varnox::tr("Erst Einträge in der Liste wählen"));
    const int selected = SelectedItem();
    btnreplace->setEnabled(!busy && selected >= 0 &&
                           model_->items[static_cast<std::size_t>(selected)].entry.itemDataType ==
                               kItemTypePicture);
    btnreplace->setToolTip(ReplaceToolTip(selected));
    btnedit->setEnabled(btnreplace->isEnabled());
    btnedit->setToolTip(btnedit->isEnabled() ? Varnox::tr("Öffnet das Bild als PNG im Bildbearbeiter; "
                                                          "jede Speicherung wird auf Nachfrage übernommen")
                                             : ReplaceToolTip(selected));
    const QString archive = SelectedArchive();
    const bool backup = !archive.isEmpty() && jobs::HasBackup(ToPath(archive));
    btnrestore->setEnabled(!busy && backup);
    btnrestore->setToolTip(
        backup ? Varnox::tr("Holt %1.bak zurück; das jetzige Archiv wird zur .bak")
                     .arg(QFileInfo(archive).fileName())
        : archive.isEmpty()
            ? Varnox::tr("Stellt ein Archiv aus seiner .bak wieder her; erst ein Archiv wählen")
            : Varnox::tr("Zum gewählten Archiv gibt es keine .bak"));
}

// Why "Ersetzen…" is disabled, or what it does.
QString Form1::ReplaceToolTip(int selected) const
{
    if (runner_->IsBusy())
        return Varnox::tr("Während einer laufenden Arbeit nicht möglich");
    if (model_ == nullptr)
        return Varnox::tr("Erst ein Archiv wählen");
    if (selected < 0)
        return Varnox::tr("Genau einen Bild-Eintrag wählen");
    if (model_->items[static_cast<std::size_t>(selected)].entry.itemDataType != kItemTypePicture)
        return Varnox::tr("Nur Bilder (Grafik) lassen sich ersetzen");
    return Varnox::tr("Ersetzt das Bild durch eine GFP-, TGA- oder PNG-Datei");
}

QString Form1::SelectedArchive() const
{
    const QString name = filFile->FileName();
    return name.isEmpty() ? QString() : QDir::cleanPath(filFile->path() + u'/' + name);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceControls();
}

// The places below at the initial size. Grown, the folder and file lists take a fifth of
// the new width and share the new height; the report and the items with the preview share
// the rest; the rows below the lists keep their distance from the bottom edge.
void Form1::PlaceControls()
{
    const QSize design = Twips(0, 0, kWidthTwips, kHeightTwips).size();
    const int dx = std::max(0, width() - design.width());
    const int dy = std::max(0, height() - design.height());
    const int lists = dx / 5;
    const int report = (dx - lists) / 2;
    const int items = dx - lists - report;
    const int half = dy / 2;
    const auto at = [](QWidget* control, QRect where, int x, int y, int w, int h) {
        control->setGeometry(FieldPlace(*control, where.translated(x, y).adjusted(0, 0, w, h)));
    };
    at(txtpath, Twips(120, 120, 2055, 315), 0, 0, lists, 0);
    at(Dir1, Twips(120, 480, 2055, 1215), 0, 0, lists, half);
    at(chkhidden, Twips(120, 1725, 2055, 300), 0, half, lists, 0);
    at(filFile, Twips(120, 2040, 2055, 2040), 0, half, lists, dy - half);
    at(Check1, Twips(120, 4080, 2055, 375), 0, dy, lists, 0);
    at(btnconverter, Twips(120, 4560, 2055, 375), 0, dy, 0, 0);
    at(btnopen, Twips(120, 5040, 2055, 375), 0, dy, 0, 0);
    at(txtinfo, Twips(2280, 120, 4575, 5955), lists, 0, report, dy);
    const int right = lists + report;
    at(txtfilter, Twips(6960, 120, 2280, 300), right, 0, items, 0);
    at(cbotype, Twips(9300, 120, 1140, 300), right + items, 0, 0, 0);
    at(lblcount, Twips(10500, 120, 1260, 300), right + items, 0, 0, 0);
    at(lstitems, Twips(6960, 480, 4800, 2040), right, 0, items, half);
    at(btnextractall, Twips(6960, 2640, 2340, 375), right, half, 0, 0);
    at(btnextractsel, Twips(9420, 2640, 2340, 375), right, half, 0, 0);
    at(btnreplace, Twips(6960, 3060, 2340, 375), right, half, 0, 0);
    at(btnrestore, Twips(9420, 3060, 2340, 375), right, half, 0, 0);
    at(btnedit, Twips(6960, 3480, 2340, 375), right, half, 0, 0);
    at(btnpack, Twips(9420, 3480, 2340, 375), right, half, 0, 0);
    at(chkpng, Twips(6960, 3900, 4800, 300), right, half, items, 0);
    at(preview, Twips(6960, 4260, 4800, 1815), right, half, items, dy - half);
    // Over the preview's picture, leaving its line below.
    txtbytes->setGeometry(preview->geometry().adjusted(0, 0, 0, -(fontMetrics().height() + 6)));
    at(prgjob, Twips(120, 6195, 2055, 345), 0, dy, lists, 0);
    at(lblinfo, Twips(2280, 6210, 8265, 300), lists, dy, dx - lists, 0);
    at(btncancel, Twips(10665, 6180, 1095, 375), dx, dy, 0, 0);
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
        ShowStatus(lblinfo, Varnox::tr("Breche ab …"));
    }
}

void Form1::ShowMessage(const QString& text, MessageKind kind)
{
    ShowMessageBox(this, sink_, text, kind);
}

void Form1::Form_Load()
{
    try {
        filFile->setPath(programFolder_);
        Dir1->setPath(programFolder_);
        ShowPlaces();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromStdString(Translate(error.what())));
    }
}

void Form1::setFolderMemory(std::shared_ptr<FolderMemory> memory)
{
    memory_ = std::move(memory);
    if (memory_)
        chkhidden->setChecked(memory_->ShowHidden());
    Dir1->setShowHidden(chkhidden->isChecked());
    txtpath->setShowHidden(chkhidden->isChecked());
    ShowPlaces();
}

// The path field's list: the folders used last and the game's places.
void Form1::ShowPlaces()
{
    txtpath->setPlaces(memory_ ? memory_->RecentFolders() : QStringList(), GamePlaces());
}

void Form1::txtpath_Enter(const QString& folder)
{
    if (const Status listed = ListStatus(folder); !listed) {
        txtpath->setPath(Dir1->path());
        ShowMessage(ListProblemText(listed));
        return;
    }
    Dir1->setPath(folder);
}

void Form1::chkhidden_Click()
{
    Dir1->setShowHidden(chkhidden->isChecked());
    txtpath->setShowHidden(chkhidden->isChecked());
    if (memory_)
        memory_->SetShowHidden(chkhidden->isChecked());
}

void Form1::btnopen_Click()
{
    if (runner_->IsBusy())
        return;
    const QString caption = Varnox::tr("Archiv öffnen");
    const QString filter = Varnox::tr("RES-Archive (*.res)");
    const QString archive = chooseFile_ ? chooseFile_(caption, Dir1->path(), filter)
                                        : QFileDialog::getOpenFileName(this, caption, Dir1->path(), filter);
    if (!archive.isEmpty())
        OpenArchive(archive);
}

void Form1::Dir1_Change()
{
    try {
        txtpath->setPath(Dir1->path());
        filFile->setPath(Dir1->path());
        if (memory_) {
            memory_->Remember(FolderKey::Unpacker, Dir1->path());
            ShowPlaces();
        }
    } catch (const std::exception& error) {
        ShowMessage(QString::fromStdString(Translate(error.what())));
    }
    ApplyEnabled();
}

void Form1::StartedJob(bool cancellable)
{
    cancellable_ = cancellable;
    ApplyEnabled();
    setCursor(Qt::BusyCursor);
    StartBar(prgjob);
    poll_->start();
}

void Form1::EndedJob()
{
    poll_->stop();
    unsetCursor();
    const bool cancelled = runner_->Progress()->Cancelled();
    EndJobBar(prgjob, cancelled ? Varnox::tr("Abgebrochen") : Varnox::tr("Fertig"), !cancelled);
}

void Form1::OpenArchive(const QString& path)
{
    const QFileInfo archive(path);
    Dir1->setPath(archive.absolutePath());
    const int index = static_cast<int>(filFile->FileNames().indexOf(archive.fileName()));
    if (index < 0) {
        ShowMessage(Varnox::tr("Das Archiv wird nicht angezeigt: %1").arg(archive.fileName()));
        return;
    }
    filFile->setListIndex(index);
}

namespace {

// The one local ".res" file data names, else empty.
QString DroppedArchive(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile())
        return {};
    const QString path = data->urls().front().toLocalFile();
    return QFileInfo(path).suffix().toLower() == QStringLiteral("res") ? path : QString();
}

} // namespace

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedArchive(event->mimeData()).isEmpty() || runner_->IsBusy())
        return;
    event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString archive = DroppedArchive(event->mimeData());
    if (archive.isEmpty() || runner_->IsBusy())
        return;
    event->acceptProposedAction();
    OpenArchive(archive);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!closing_ && !ConfirmClose(this, questions_, {edits_})) {
        event->ignore();
        return;
    }
    // A running unpack stops after its current item; the window goes once the job has ended.
    closing_ = true;
    EndEdits();
    event->accept();
    if (runner_->IsRunningFor(this))
        runner_->Cancel();
    else
        deleteLater();
}

} // namespace varnox::ui
