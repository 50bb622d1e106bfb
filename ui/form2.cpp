#include "ui/form2.h"

#include "formats/text.h"
#include "jobs/convert.h"
#include "jobs/restore.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/foldermemory.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/jobrunner.h"
#include "ui/pathbox.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

namespace varnox::ui {

namespace {

// Client area at design: the lists of 6585 x 5010 twips, the preview to their right and a
// row for the job below.
constexpr int kWidthTwips = 10665;
constexpr int kHeightTwips = 5505;
// Places at design size, in twips, of the controls below the lists (they keep their distance
// from the bottom edge) and of the preview (it takes what the window grows by).
struct TwipsRect {
    int left, top, width, height;
    QRect Pixels() const { return Twips(left, top, width, height); }
};
// The two blocks of the lists, as at design.
constexpr TwipsRect kFile0{2040, 360, 4455, 1845};
constexpr TwipsRect kDir0{0, 360, 1935, 1890};
constexpr TwipsRect kLabel1{0, 120, 1455, 255};
constexpr TwipsRect kDir1{0, 2640, 1935, 1890};
constexpr TwipsRect kFile1{2040, 2640, 4455, 1845};
constexpr TwipsRect kLabel2{0, 2400, 1935, 255};
constexpr TwipsRect kDrive0{2040, 0, 1335, 315};
constexpr TwipsRect kDrive1{2040, 2280, 1335, 315};
constexpr TwipsRect kPath0{3420, 0, 3075, 315};
constexpr TwipsRect kPath1{3420, 2280, 3075, 315};
constexpr TwipsRect kHidden{6705, 4140, 2235, 300};
constexpr TwipsRect kOpen{9000, 4080, 1545, 375};
constexpr TwipsRect kUnpack{1200, 0, 735, 315};
constexpr std::array<TwipsRect, 3> kOption{
    {{0, 4680, 1200, 255}, {1200, 4680, 1200, 255}, {2400, 4680, 1200, 255}}};
constexpr TwipsRect kConvert{3720, 4560, 1335, 375};
constexpr TwipsRect kUncompressed{5160, 4560, 1680, 375};
constexpr TwipsRect kConvertAll{6960, 4560, 1500, 375};
constexpr TwipsRect kFast{8580, 4560, 1965, 375};
constexpr TwipsRect kProgress{0, 5055, 2220, 345};
constexpr TwipsRect kRestore{2280, 5040, 1380, 375};
constexpr TwipsRect kCancel{3720, 5040, 1335, 375};
constexpr TwipsRect kEdit{5160, 5040, 1380, 375};
constexpr TwipsRect kInfo{6600, 5070, 3945, 300};
constexpr TwipsRect kPreview{6705, 120, 3840, 3900};

// The progress bar and the caption are brought up to date this often while a job runs.
constexpr int kPollMilliseconds = 50;
constexpr int kBarSteps = 1000;

} // namespace

QString Form2::Caption()
{
    return QStringLiteral("Varnox Convert  v0.1") + Credit();
}

Form2::Form2(Module1& module, const QString& programFolder, QWidget* parent)
    : QWidget(parent), module_(module), programFolder_(programFolder)
{
    setWindowTitle(Caption());
    setFont(WindowFont());
    // The table's places are the initial layout; a larger window gives its room to the lists
    // and the preview.
    setMinimumSize(Twips(0, 0, kWidthTwips, kHeightTwips).size());
    resize(minimumSize());
    runner_ = std::make_unique<JobRunner>();
    workers_ = jobs::DefaultWorkers();
    MakeControls();
    ConnectControls();
    PlaceControls();
}

void Form2::MakeControls()
{
    // In tab order.
    File1[0] = MakeControl(new FileListBox(this), "File1_0", Varnox::tr("Die Quelldateien im Quellordner"));
    Dir1[0] = MakeControl(new DirListBox(this), "Dir1_0",
                          Varnox::tr("Der Quellordner: Doppelklick oder Enter öffnet"));
    Label1 = MakeControl(new QLabel(Varnox::tr("&Quelldatei: "), this), "Label1",
                         Varnox::tr("Quelle der Umwandlung"));
    Label1->setBuddy(File1[0]);
    Dir1[1] = MakeControl(new DirListBox(this), "Dir1_1",
                          Varnox::tr("Der Zielordner: Doppelklick oder Enter öffnet"));
    File1[1] =
        MakeControl(new FileListBox(this), "File1_1", Varnox::tr("Die GFP-Datei, deren Bild ersetzt wird"));
    Label2 =
        MakeControl(new QLabel(Varnox::tr("&Zieldatei:"), this), "Label2", Varnox::tr("Ziel der Umwandlung"));
    Label2->setBuddy(File1[1]);
    Drive1[0] = MakeControl(new DriveListBox(this), "Drive1_0", Varnox::tr("Laufwerk der Quelle"));
    Drive1[1] = MakeControl(new DriveListBox(this), "Drive1_1", Varnox::tr("Laufwerk des Ziels"));
    btnconvert = MakeControl(new QPushButton(QStringLiteral("&Convert"), this), "btnconvert",
                             Varnox::tr("Wandelt die gewählte Datei um (Enter in einer Dateiliste)"));
    opgra[0] = MakeControl(new QRadioButton(QStringLiteral("&tga->gfp"), this), "opgra_0",
                           Varnox::tr("TGA oder PNG in eine vorhandene GFP-Datei schreiben"));
    opgra[1] = MakeControl(new QRadioButton(QStringLiteral("g&fp->tga"), this), "opgra_1",
                           Varnox::tr("GFP als TGA-Datei neben die Quelle schreiben"));
    opgra[2] = MakeControl(new QRadioButton(QStringLiteral("gfp->&png"), this), "opgra_2",
                           Varnox::tr("GFP als PNG-Datei neben die Quelle schreiben"));
    lblinfo = MakeControl(new QLabel(this), "lblinfo", QString());
    Command1 = MakeControl(new QPushButton(QStringLiteral("&unpack"), this), "Command1",
                           Varnox::tr("Öffnet das Fenster zum Entpacken von RES-Archiven"));
    chkuncom = MakeControl(new QCheckBox(Varnox::tr("un&komprimiert"), this), "chkuncom",
                           Varnox::tr("Die Pixel ungepackt in die GFP-Datei schreiben"));
    chkfast = MakeControl(new QCheckBox(Varnox::tr("&schnell packen"), this), "chkfast",
                          Varnox::tr("Schneller packen, von zlib weiter lesbar"));
    chkunpackall = MakeControl(new QCheckBox(QStringLiteral("convert &all"), this), "chkunpackall",
                               Varnox::tr("Alle GFP-Dateien der Liste umwandeln"));
    chkunpackall->setEnabled(false);
    prgjob = MakeControl(new QProgressBar(this), "prgjob", Varnox::tr("Fortschritt der Umwandlung"));
    prgjob->setRange(0, kBarSteps);
    prgjob->reset();
    prgjob->setTextVisible(false);
    btncancel = MakeControl(new QPushButton(Varnox::tr("A&bbrechen"), this), "btncancel",
                            Varnox::tr("Bricht die laufende Umwandlung ab"));
    btncancel->setEnabled(false);
    picpreview = MakeControl(new PreviewBox(this), "picpreview", Varnox::tr("Vorschau der Quelldatei"));
    btnrestore = MakeControl(new QPushButton(Varnox::tr("&Wiederherstellen"), this), "btnrestore", QString());
    btnedit = MakeControl(new QPushButton(Varnox::tr("Bearbe&iten…"), this), "btnedit", QString());
    for (std::size_t i = 0; i < 2; ++i)
        txtpath[i] = MakeControl(new PathBox(this), i == 0 ? "txtpath_0" : "txtpath_1", PathBox::ToolTip());
    chkhidden = MakeControl(new QCheckBox(Varnox::tr("Versteckte Ordner"), this), "chkhidden",
                            Varnox::tr("Zeigt auch versteckte Ordner (Strg+H)"));
    btnopen = MakeControl(new QPushButton(Varnox::tr("Öffn&en…"), this), "btnopen",
                          Varnox::tr("Wählt ein Bild als Quelle oder öffnet ein Archiv, über den Dateidialog "
                                     "(Strg+O)"));
    NameControls();

    QWidget* const tabOrder[] = {File1[0],  txtpath[0], Dir1[0],    Dir1[1],      txtpath[1], File1[1],
                                 Drive1[0], Drive1[1],  btnconvert, opgra[0],     opgra[1],   opgra[2],
                                 Command1,  chkuncom,   chkfast,    chkunpackall, btnrestore, btnedit,
                                 btncancel, chkhidden,  btnopen};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    File1[0]->setFocus();
}

// The names a screen reader tells: a list's visible label, else what it holds.
void Form2::NameControls()
{
    File1[0]->setAccessibleName(Varnox::tr("Quelldatei"));
    File1[1]->setAccessibleName(Varnox::tr("Zieldatei"));
    Dir1[0]->setAccessibleName(Varnox::tr("Quellordner"));
    Dir1[1]->setAccessibleName(Varnox::tr("Zielordner"));
    Drive1[0]->setAccessibleName(Varnox::tr("Laufwerk der Quelle"));
    Drive1[1]->setAccessibleName(Varnox::tr("Laufwerk des Ziels"));
    txtpath[0]->setAccessibleName(Varnox::tr("Pfad der Quelle"));
    txtpath[0]->lineEdit()->setAccessibleName(txtpath[0]->accessibleName());
    txtpath[1]->setAccessibleName(Varnox::tr("Pfad des Ziels"));
    txtpath[1]->lineEdit()->setAccessibleName(txtpath[1]->accessibleName());
    picpreview->setAccessibleName(Varnox::tr("Vorschau"));
    prgjob->setAccessibleName(Varnox::tr("Fortschritt"));
    lblinfo->setAccessibleName(Varnox::tr("Status"));
}

void Form2::ConnectControls()
{
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMilliseconds);
    connect(poll_, &QTimer::timeout, this, &Form2::ShowProgress);
    connect(runner_.get(), &JobRunner::BusyChanged, this, [this](bool busy) {
        // The focus leaves the controls about to be disabled for the preview, which takes no
        // keys, so that a key meant for "Convert" cannot reach "Abbrechen" or "unpack".
        if (busy && runner_->IsRunningFor(this) && isAncestorOf(focusWidget())) {
            focusBeforeJob_ = focusWidget();
            picpreview->setFocus();
        }
        ApplyEnabled();
        if (!busy && focusBeforeJob_ && focusBeforeJob_->isEnabled() && focusWidget() == picpreview)
            focusBeforeJob_->setFocus();
        if (!busy)
            focusBeforeJob_ = nullptr;
    });

    for (int i = 0; i < 2; ++i) {
        connect(Drive1[i], &DriveListBox::Change, this, [this, i] { Drive1_Change(i); });
        connect(Dir1[i], &DirListBox::Change, this, [this, i] { Dir1_Change(i); });
        connect(txtpath[i], &PathBox::PathEntered, this,
                [this, i](const QString& folder) { txtpath_Enter(i, folder); });
        connect(Dir1[i], &DirListBox::ListFailed, this, [this](const QString& text) { ShowMessage(text); });
        connect(File1[i], &FileListBox::Click, this, [this, i] { File1_Click(i); });
        connect(File1[i], &FileListBox::EnterPressed, this, &Form2::File1_Enter);
    }
    for (int i = 0; i < 3; ++i)
        connect(opgra[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                opgra_Click(i);
        });
    connect(File1[0], &FileListBox::Listed, this, &Form2::ShowPreview);
    connect(File1[1], &FileListBox::Listed, this, &Form2::ApplyEnabled);
    connect(btnconvert, &QPushButton::clicked, this, &Form2::btnconvert_Click);
    connect(btncancel, &QPushButton::clicked, this, &Form2::btncancel_Click);
    connect(btnrestore, &QPushButton::clicked, this, &Form2::btnrestore_Click);
    connect(btnedit, &QPushButton::clicked, this, &Form2::btnedit_Click);
    connect(chkhidden, &QCheckBox::clicked, this, &Form2::chkhidden_Click);
    connect(btnopen, &QPushButton::clicked, this, &Form2::btnopen_Click);
    connect(lblinfo, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    auto* hidden = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(hidden, &QShortcut::activated, this, [this] {
        chkhidden->toggle();
        chkhidden_Click();
    });
    auto* open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &Form2::btnopen_Click);
    edits_ = new EditWatch(this);
    connect(edits_, &EditWatch::Saved, this, [this](const QString& png) {
        if (!runner_->IsBusy())
            TakeBackEdit(png);
        else if (!pendingEdits_.contains(png))
            pendingEdits_.append(png);
    });
    // A save that came while a job ran is taken once the window thread is free again.
    auto* const editLater = new QTimer(this);
    editLater->setSingleShot(true);
    editLater->setInterval(0);
    connect(editLater, &QTimer::timeout, this,
            [this] { TakeBackEdit(pendingEdits_.isEmpty() ? QString() : pendingEdits_.takeFirst()); });
    connect(runner_.get(), &JobRunner::BusyChanged, this, [this, editLater](bool busy) {
        if (!busy && !pendingEdits_.isEmpty())
            editLater->start();
    });
    setAcceptDrops(true);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    // A picture is packed one way: ticking one of the two unticks the other.
    connect(chkuncom, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            chkfast->setChecked(false);
    });
    connect(chkfast, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            chkuncom->setChecked(false);
    });
    AddWindowKeys(this, [this] { RefreshLists(); });
}

Form2::~Form2()
{
    runner_->CancelAndWait();
    // The unpacker window has no owner; it goes with the run.
    delete unpacker_.data();
}

void Form2::closeEvent(QCloseEvent* event)
{
    // Pictures out in the editor, this window's or the unpacker's, are kept when the user closes anyway.
    if (!ConfirmClose(this, questionSink_,
                      {edits_, Unpacker() != nullptr ? &Unpacker()->Edits() : nullptr})) {
        event->ignore();
        return;
    }
    // A conversion still running stops at once and leaves its file as it was; it tells nothing.
    closed_ = true;
    edits_->Stop();
    pendingEdits_.clear();
    if (runner_->IsRunningFor(this))
        runner_->Cancel();
    event->accept();
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceControls();
}

// The table's places at the initial size. Grown, the lists take half the new width (the
// folder lists a third of it) and share the new height, the preview takes the other half
// and the whole height, and the rows below keep their distance from the bottom edge.
void Form2::PlaceControls()
{
    const QSize design = Twips(0, 0, kWidthTwips, kHeightTwips).size();
    const int dx = std::max(0, width() - design.width());
    const int dy = std::max(0, height() - design.height());
    const int lists = dx / 2;
    const int dirs = lists / 3;
    const int files = lists - dirs;
    const int top = dy / 2;
    const int bottom = dy - top;
    const auto at = [](QWidget* control, const TwipsRect& where, int x, int y, int w, int h) {
        control->setGeometry(FieldPlace(*control, where.Pixels().translated(x, y).adjusted(0, 0, w, h)));
    };
    at(Label1, kLabel1, 0, 0, 0, 0);
    at(Command1, kUnpack, 0, 0, 0, 0);
    at(Drive1[0], kDrive0, dirs, 0, 0, 0);
    at(Dir1[0], kDir0, 0, 0, dirs, top);
    at(File1[0], kFile0, dirs, 0, files, top);
    at(Label2, kLabel2, 0, top, 0, 0);
    at(Drive1[1], kDrive1, dirs, top, 0, 0);
    at(txtpath[0], kPath0, dirs, 0, files, 0);
    at(txtpath[1], kPath1, dirs, top, files, 0);
    at(chkhidden, kHidden, lists, dy, 0, 0);
    at(btnopen, kOpen, dx, dy, 0, 0);
    at(Dir1[1], kDir1, 0, top, dirs, bottom);
    at(File1[1], kFile1, dirs, top, files, bottom);
    for (std::size_t i = 0; i < opgra.size(); ++i)
        at(opgra[i], kOption[i], 0, dy, 0, 0);
    at(btnconvert, kConvert, 0, dy, 0, 0);
    at(chkuncom, kUncompressed, 0, dy, 0, 0);
    at(chkfast, kFast, 0, dy, 0, 0);
    at(chkunpackall, kConvertAll, 0, dy, 0, 0);
    at(prgjob, kProgress, 0, dy, 0, 0);
    at(btnrestore, kRestore, 0, dy, 0, 0);
    at(btncancel, kCancel, 0, dy, 0, 0);
    at(btnedit, kEdit, 0, dy, 0, 0);
    at(lblinfo, kInfo, 0, dy, dx, 0);
    at(picpreview, kPreview, lists, 0, dx - lists, dy);
    if (lblinfo->textFormat() != Qt::RichText) // a link is short and stays whole
        ShowStatus(lblinfo);
}

void Form2::SetInfo(const QString& text)
{
    lblinfo->setTextFormat(Qt::PlainText);
    ShowStatus(lblinfo, text);
}

// "Fertig: name" with the name a link that shows the file's folder in the file manager.
void Form2::ShowWrittenFile(const QString& file)
{
    const QFileInfo info(file);
    lblinfo->setTextFormat(Qt::RichText);
    // The plain text stays the label's status text, for a later look at it.
    lblinfo->setProperty("statusText", Varnox::tr("Fertig: %1").arg(QDir::toNativeSeparators(file)));
    lblinfo->setText(Varnox::tr("Fertig: %1")
                         .arg(QStringLiteral("<a href=\"%1\">%2</a>")
                                  .arg(QUrl::fromLocalFile(info.absolutePath()).toString().toHtmlEscaped(),
                                       info.fileName().toHtmlEscaped())));
    lblinfo->setToolTip(QDir::toNativeSeparators(info.absoluteFilePath()));
}

void Form2::ApplyEnabled()
{
    // While this window's job runs, nothing that would change what it works on takes input;
    // while any job runs, nothing can start another. A GFP is converted beside itself: the
    // target side and the packing are then out of play.
    const bool own = runner_->IsRunningFor(this);
    const bool targetSide = !own && mode_ == ConvertMode::TgaToGfp;
    btnconvert->setEnabled(!runner_->IsBusy());
    for (QRadioButton* option : opgra)
        option->setEnabled(!own);
    chkuncom->setEnabled(targetSide);
    chkfast->setEnabled(targetSide);
    chkunpackall->setEnabled(!own && mode_ != ConvertMode::TgaToGfp);
    Drive1[0]->setEnabled(!own);
    Dir1[0]->setEnabled(!own);
    File1[0]->setEnabled(!own);
    Label2->setEnabled(targetSide);
    Drive1[1]->setEnabled(targetSide);
    Dir1[1]->setEnabled(targetSide);
    File1[1]->setEnabled(targetSide);
    btncancel->setEnabled(own);

    // Restore takes the target of tga->gfp, else the GFP that "Bearbeiten…" changes.
    const QString restorable = RestorableFile();
    const bool selected = !restorable.isEmpty();
    const bool backup = !own && selected && jobs::HasBackup(ToPath(restorable));
    btnrestore->setEnabled(backup && !runner_->IsBusy());
    btnrestore->setToolTip(backup ? Varnox::tr("Holt %1.bak zurück; die jetzige Datei wird zur .bak")
                                        .arg(QFileInfo(restorable).fileName())
                           : selected ? Varnox::tr("Zur gewählten Zieldatei gibt es keine .bak")
                                      : Varnox::tr("Stellt eine Zieldatei aus ihrer .bak wieder her; "
                                                   "erst eine Zieldatei wählen"));
    const bool editable = !EditableGfp().isEmpty() && !runner_->IsBusy();
    btnedit->setEnabled(editable);
    btnedit->setToolTip(editable ? Varnox::tr("Öffnet die gewählte GFP als PNG im Bildbearbeiter; jede "
                                              "Speicherung wird auf Nachfrage übernommen")
                                 : Varnox::tr("Erst eine GFP-Datei wählen"));
}

void Form2::ShowMessage(const QString& text, MessageKind kind)
{
    ShowMessageBox(this, sink_, text, kind);
}

void Form2::ShowAgain()
{
    closed_ = false;
    showNormal();
    raise();
    activateWindow();
}

Form1* Form2::Unpacker() const
{
    return unpacker_ && !unpacker_->IsClosing() ? unpacker_.data() : nullptr;
}

void Form2::Command1_Click()
{
    try {
        // A closed window may still be finishing its unpack; the next one is made afresh.
        if (Unpacker() == nullptr) {
            const QString folder = memory_ ? memory_->Folder(FolderKey::Unpacker) : programFolder_;
            unpacker_ = new Form1(module_, folder, runner_.get());
            unpacker_->setMessageSink(sink_);
            unpacker_->setQuestionSink(questionSink_);
            unpacker_->setFolderMemory(memory_);
            unpacker_->setConverter([this] { ShowAgain(); });
            unpacker_->Form_Load();
        }
        unpacker_->show();
        unpacker_->raise();
        unpacker_->activateWindow();
    } catch (const std::exception& error) {
        ShowMessage(Varnox::tr("Das Entpack-Fenster kann nicht geöffnet werden: %1")
                        .arg(QString::fromStdString(Translate(error.what()))));
    }
}

QString Form2::SelectedPath(int index) const
{
    const FileListBox* list = File1[static_cast<std::size_t>(index)];
    return QDir::cleanPath(list->path() + u'/' + list->FileName());
}

void Form2::ShowProgress()
{
    const jobs::JobProgress* progress = runner_->Progress();
    if (progress == nullptr || !runner_->IsRunningFor(this))
        return;
    const std::int64_t total = progress->Total();
    const std::int64_t done = std::min(progress->Done(), total);
    if (total <= 0) {
        prgjob->setRange(0, 0);
    } else {
        prgjob->setRange(0, kBarSteps);
        prgjob->setValue(static_cast<int>(done * kBarSteps / total));
    }
    if (const std::int64_t current = progress->Current(); convertingFrom_ >= 0 && current >= 0) {
        const int index = convertingFrom_ + static_cast<int>(current);
        if (File1[0]->ListIndex() != index)
            File1[0]->setListIndex(index);
    }
    // Of this window's jobs only TGA/PNG -> GFP has stages.
    if (const int stage = progress->Stage(); stage >= 0 && !progress->Cancelled()) {
        SetInfo(ToQString(jobs::StageText(static_cast<jobs::TgaToGfpStage>(stage))));
        // The caption carries the row the TGA reader is on, as it always has.
        if (stage == static_cast<int>(jobs::TgaToGfpStage::Analysing) && done > 0)
            setWindowTitle(QString::number(done));
    }
}

} // namespace varnox::ui
