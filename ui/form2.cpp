#include "ui/form2.h"

#include "formats/picture.h"
#include "formats/text.h"
#include "jobs/convert.h"
#include "jobs/edit.h"
#include "jobs/restore.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/jobrunner.h"
#include "ui/pathbox.h"
#include "ui/preview.h"
#include "ui/startup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
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
#include <optional>
#include <type_traits>

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

// "2 nicht ersetzt: a.tga, b.tga"; more than a few: the count and the first ones.
QString KeptText(const jobs::GfpToTgaResult& result)
{
    constexpr std::size_t kNamed = 3;
    QStringList names;
    for (std::size_t i = 0; i < result.keptNames.size() && i < kNamed; ++i)
        names.append(QFile::decodeName(QByteArray::fromStdString(result.keptNames[i])));
    QString text = Varnox::tr("%1 nicht ersetzt: %2").arg(result.kept).arg(names.join(QStringLiteral(", ")));
    const auto more = result.kept - static_cast<int>(names.size());
    if (more > 0)
        text += Varnox::tr(" und %1 weitere").arg(more);
    return text;
}

// "1 Datei konvertiert", "3 Dateien konvertiert, 1 abgelehnt, abgebrochen".
QString BatchSummary(const jobs::GfpToTgaResult& result)
{
    QString text = result.written == 1 ? Varnox::tr("1 Datei konvertiert")
                                       : Varnox::tr("%1 Dateien konvertiert").arg(result.written);
    if (!result.refused.empty())
        text += Varnox::tr(", %1 abgelehnt").arg(result.refused.size());
    if (result.kept > 0)
        text += QStringLiteral(", ") + KeptText(result);
    if (result.cancelled)
        text += Varnox::tr(", abgebrochen");
    return text;
}

// The width and height of the picture at path; nothing when it cannot be read.
std::optional<QSize> PictureSize(const Path& path)
{
    const Result<std::unique_ptr<RowSource>> source = OpenPictureSource(path);
    if (!source.ok())
        return std::nullopt;
    const PictureInfo& info = source.value()->Info();
    return QSize(info.width, info.height);
}

QString SizeText(QSize size)
{
    return QStringLiteral("%1 \u00d7 %2").arg(size.width()).arg(size.height());
}

// The name of the file the conversion of gfpName writes, by the job's own rule.
QString PictureName(const QString& gfpName, jobs::PictureFormat format)
{
    return QFile::decodeName(jobs::TargetName(QFile::encodeName(gfpName).toStdString(), format).c_str());
}

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
    const bool targetSide = !own && mode_ == 0;
    btnconvert->setEnabled(!runner_->IsBusy());
    for (QRadioButton* option : opgra)
        option->setEnabled(!own);
    chkuncom->setEnabled(targetSide);
    chkfast->setEnabled(targetSide);
    chkunpackall->setEnabled(!own && mode_ != 0);
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
        const bool changed = Index != mode_;
        mode_ = Index;
        if (Index == 0) {
            File1[0]->setPattern(QStringLiteral("*.tga;*.png"));
            File1[1]->setPattern(QStringLiteral("*.gfp"));
        } else {
            File1[1]->setPattern(Index == 1 ? QStringLiteral("*.tga") : QStringLiteral("*.png"));
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
    try {
        CheckListable(folder);
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
    const bool ready = File1[0]->ListIndex() >= 0 && (mode_ != 0 || File1[1]->ListIndex() >= 0);
    if (ready && btnconvert->isEnabled())
        btnconvert_Click();
}

void Form2::ShowAgain()
{
    closed_ = false;
    showNormal();
    raise();
    activateWindow();
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
        ShowMessage(Varnox::tr("Das Entpack-Fenster kann nicht geöffnet werden: %1").arg(What(error)));
    }
}

QString Form2::SelectedPath(int index) const
{
    const FileListBox* list = File1[static_cast<std::size_t>(index)];
    return QDir::cleanPath(list->path() + u'/' + list->FileName());
}

void Form2::btnconvert_Click()
{
    // One click is one conversion: a click while a job runs is dropped.
    if (runner_->IsBusy())
        return;
    SetInfo({});
    try {
        if (opgra[0]->isChecked())
            ConvertTgaToGfp();
        else
            ConvertGfpToPicture(opgra[2]->isChecked() ? jobs::PictureFormat::Png : jobs::PictureFormat::Tga);
    } catch (const std::exception& error) {
        ShowMessage(
            Varnox::tr("Die Umwandlung ist fehlgeschlagen: %1: %2").arg(SelectedPath(0), What(error)));
    }
}

void Form2::btncancel_Click()
{
    if (!runner_->IsRunningFor(this))
        return;
    runner_->Cancel();
    SetInfo(Varnox::tr("Breche ab …"));
}

void Form2::StartJob(std::function<void(jobs::JobProgress&)> work, std::function<void()> done)
{
    auto failure = std::make_shared<QString>();
    const QString source = SelectedPath(0);
    const bool started = runner_->Start(
        this,
        [work = std::move(work), failure](jobs::JobProgress& progress) {
            try {
                work(progress);
            } catch (const std::exception& error) {
                *failure = What(error);
            }
        },
        [this, done = std::move(done), failure, source] {
            poll_->stop();
            unsetCursor();
            const jobs::JobProgress* progress = runner_->Progress();
            if (progress->Stage() >= 0)
                setWindowTitle(Caption());
            if (failure->isEmpty()) {
                done();
                // A job that told no end of its own ran to its end or was cancelled.
                if (prgjob->format() == QString::fromUtf16(kRunningFormat))
                    EndBar(progress->Cancelled() ? Varnox::tr("Abgebrochen") : Varnox::tr("Fertig"),
                           !progress->Cancelled());
            } else {
                EndBar(Varnox::tr("Fehlgeschlagen"), false);
                SetInfo({});
                if (!closed_)
                    ShowMessage(
                        Varnox::tr("Die Umwandlung ist fehlgeschlagen: %1: %2").arg(source, *failure));
            }
            RefreshLists();
        });
    if (!started)
        return;
    setCursor(Qt::BusyCursor);
    StartBar(prgjob);
    poll_->start();
}

void Form2::EndBar(const QString& text, bool full)
{
    EndJobBar(prgjob, text, full);
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

jobs::ReplaceAnswer Form2::AskReplace(const Path& target, bool offerAll)
{
    return AskQuestion(
        this, questionSink_,
        Varnox::tr("Die Datei gibt es schon, mit anderem Inhalt:\n%1\n\nSoll sie ersetzt werden?")
            .arg(ToQString(target)),
        offerAll);
}

void Form2::ConvertGfpToPicture(jobs::PictureFormat format)
{
    FileListBox* source = File1[0];
    const int selected = source->ListIndex();
    if (selected < 0) {
        ShowMessage(Varnox::tr("Bitte eine Quelldatei auswählen"), MessageKind::Information);
        return;
    }
    const bool all = chkunpackall->checkState() != Qt::Unchecked;
    const int first = all ? 0 : selected;
    const int last = all ? source->ListCount() - 1 : selected;
    const bool several = last > first;
    const QString written = PictureName(source->FileName(), format);

    const QStringList names = source->FileNames();
    const Path folder = ToPath(source->path());
    std::vector<Path> gfps;
    for (int k = first; k <= last && k < names.size(); ++k)
        gfps.push_back(folder / QFile::encodeName(names[k]).toStdString());
    auto result = std::make_shared<jobs::GfpToTgaResult>();
    JobRunner* runner = runner_.get();
    // The source list follows the file in hand (ShowProgress).
    convertingFrom_ = first;
    StartJob(
        [this, runner, result, gfps = std::move(gfps), several, format,
         workers = workers_](jobs::JobProgress& progress) {
            // Several files go to the pool; the answers hold as they do one file at a time.
            jobs::BatchOptions options;
            options.format = format;
            options.workers = several ? workers : 1;
            options.progress = &progress;
            options.askReplace = [this, runner, several](const Path& target) {
                return runner->Ask([this, target, several] { return AskReplace(target, several); });
            };
            *result = jobs::ConvertGfpFilesParallel(gfps, options);
        },
        [this, result, several, first, written = QDir(source->path()).filePath(written)] {
            convertingFrom_ = -1;
            jobs::StoreRecords(module_, result->records);
            if (result->lastIndex >= 0)
                File1[0]->setListIndex(first + result->lastIndex);
            if (several) {
                SetInfo(BatchSummary(*result));
                if (!result->refused.empty())
                    EndBar(Varnox::tr("%1 abgelehnt").arg(result->refused.size()), !result->cancelled);
            } else if (result->cancelled) {
                SetInfo(Varnox::tr("Abgebrochen"));
                EndBar(Varnox::tr("Abgebrochen"), false);
            } else if (result->kept > 0) {
                SetInfo(Varnox::tr("Nicht ersetzt: %1").arg(QDir::toNativeSeparators(written)));
                EndBar(Varnox::tr("Nicht ersetzt"), false);
            } else if (result->written > 0) {
                ShowWrittenFile(written);
            } else {
                EndBar(Varnox::tr("Abgelehnt"), false);
            }
            if (!result->refused.empty() && !closed_) {
                QString text = Varnox::tr("Nicht umgewandelt:");
                for (const jobs::Refusal& refusal : result->refused)
                    text += u'\n' + ToQString(jobs::MessageText(refusal));
                ShowMessage(text, MessageKind::Warning);
            }
        });
}

GfpPacking Form2::Packing() const
{
    if (chkuncom->checkState() != Qt::Unchecked)
        return GfpPacking::Uncompressed;
    return chkfast->checkState() != Qt::Unchecked ? GfpPacking::Fast : GfpPacking::Zlib;
}

// Asks before a picture of another size replaces the one in to; true when it may.
bool Form2::AskPictureSize(const Path& from, const Path& to)
{
    const std::optional<QSize> now = PictureSize(to);
    const std::optional<QSize> next = PictureSize(from);
    if (!now || !next || *now == *next)
        return true;
    const QString text = Varnox::tr("Das Bild in %1 ist %2 groß, das neue %3. Trotzdem ersetzen?")
                             .arg(ToQString(to.filename()), SizeText(*now), SizeText(*next));
    return runner_->Ask([this, text] { return AskQuestion(this, questionSink_, text, false); }) ==
           jobs::ReplaceAnswer::Yes;
}

void Form2::ConvertTgaToGfp()
{
    if (File1[1]->ListIndex() < 0 || File1[0]->ListIndex() < 0) {
        ShowMessage(Varnox::tr("Bitte eine Quell- und Zieldatei auswählen"), MessageKind::Information);
        return;
    }
    const QString source = SelectedPath(0);
    auto result = std::make_shared<jobs::TgaToGfpResult>();
    auto declined = std::make_shared<bool>(false);
    StartJob(
        [this, result, declined, from = ToPath(source), to = ToPath(SelectedPath(1)),
         packing = Packing()](jobs::JobProgress& progress) {
            if (!AskPictureSize(from, to)) {
                *declined = true;
                return;
            }
            const jobs::PictureFormat format =
                PictureKindOf(from) == PictureKind::Png ? jobs::PictureFormat::Png : jobs::PictureFormat::Tga;
            *result = jobs::ConvertPictureToGfp(from, format, to, packing, &progress);
        },
        [this, result, declined, target = File1[1]->FileName()] {
            jobs::StoreRecords(module_, result->records);
            if (*declined) {
                SetInfo(Varnox::tr("Nicht ersetzt: %1").arg(target));
                EndBar(Varnox::tr("Nicht ersetzt"), false);
            } else if (result->ok) {
                SetInfo(Varnox::tr("Fertig: %1").arg(target));
            } else if (result->cancelled) {
                SetInfo(Varnox::tr("Abgebrochen"));
            } else {
                SetInfo({});
                EndBar(Varnox::tr("Abgelehnt"), false);
                if (!closed_)
                    ShowMessage(ToQString(jobs::MessageText(result->refusal)), MessageKind::Warning);
            }
        });
}

void Form2::btnrestore_Click()
{
    const QString target = RestorableFile();
    if (runner_->IsBusy() || target.isEmpty())
        return;
    if (!jobs::HasBackup(ToPath(target)))
        return;
    if (AskQuestion(this, questionSink_, RestoreQuestion(target), false) != jobs::ReplaceAnswer::Yes)
        return;
    auto result = std::make_shared<jobs::RestoreResult>();
    StartJob([result, file = ToPath(target)](jobs::JobProgress&) { *result = jobs::RestoreBackup(file); },
             [this, result, name = QFileInfo(target).fileName()] {
                 if (result->ok) {
                     SetInfo(
                         Varnox::tr("Wiederhergestellt: %1 (die vorige Fassung ist jetzt %1.bak)").arg(name));
                 } else {
                     SetInfo({});
                     EndBar(Varnox::tr("Abgelehnt"), false);
                     if (!closed_)
                         ShowMessage(ToQString(jobs::MessageText(result->refusal)), MessageKind::Warning);
                 }
                 picpreview->Clear();
                 ShowPreview();
             });
}

QString Form2::RestorableFile() const
{
    if (mode_ != 0)
        return EditableGfp();
    return File1[1]->ListIndex() >= 0 ? SelectedPath(1) : QString();
}

QString Form2::EditableGfp() const
{
    const int side = mode_ == 0 ? 1 : 0;
    const FileListBox* list = File1[static_cast<std::size_t>(side)];
    if (list->ListIndex() < 0 || !list->FileName().endsWith(QStringLiteral(".gfp"), Qt::CaseInsensitive))
        return {};
    return SelectedPath(side);
}

void Form2::btnedit_Click()
{
    const QString gfp = EditableGfp();
    if (gfp.isEmpty() || runner_->IsBusy())
        return;
    QString failure;
    const std::optional<Path> folder = MakePrivateFolder(failure);
    if (!folder) {
        ShowMessage(failure);
        return;
    }
    // Reading the GFP touches no shared record; it runs here, as the preview does.
    const jobs::EditStart start = jobs::StartGfpEdit(ToPath(gfp), *folder);
    if (!start.ok) {
        ShowMessage(ToQString(jobs::MessageText(start.refusal)));
        return;
    }
    const QString png = ToQString(start.session.png);
    if (!StartEditor(png, failure)) {
        ShowMessage(failure);
        return;
    }
    edits_->Watch(start.session);
    SetInfo(Varnox::tr("Im Bildbearbeiter: %1").arg(QDir::toNativeSeparators(png)));
}

// Compares the saved PNG with the GFP on the worker and, once asked, puts it into the GFP
// as png2gfp does (the old GFP kept as .bak).
void Form2::TakeBackEdit(const QString& png)
{
    const std::optional<jobs::EditSession> session = edits_->Session(png);
    if (!session || runner_->IsBusy())
        return;
    struct Outcome {
        jobs::EditCheck check;
        bool always = false;
        jobs::EditResult result;
    };
    auto outcome = std::make_shared<Outcome>();
    const QString name = ToQString(session->source.filename());
    StartJob(
        [this, outcome, session = *session, always = edits_->Always(png), name,
         packing = Packing()](jobs::JobProgress&) mutable {
            outcome->check = jobs::CheckEdit(session);
            if (outcome->check.state != jobs::EditState::Changed || !outcome->check.refusal.reason.empty())
                return;
            if (!always) {
                QString text = Varnox::tr("Änderung an %1 übernehmen?").arg(name);
                if (outcome->check.SizeChanged())
                    text += Varnox::tr("\n\nDas Bild ist jetzt %1 \u00d7 %2 groß, bisher %3 \u00d7 %4.")
                                .arg(outcome->check.newWidth)
                                .arg(outcome->check.newHeight)
                                .arg(outcome->check.oldWidth)
                                .arg(outcome->check.oldHeight);
                const jobs::ReplaceAnswer answer =
                    runner_->Ask([this, text] { return AskEditQuestion(this, questionSink_, text); });
                if (answer != jobs::ReplaceAnswer::Yes && answer != jobs::ReplaceAnswer::YesToAll)
                    return;
                outcome->always = answer == jobs::ReplaceAnswer::YesToAll;
            }
            outcome->result = jobs::ApplyEdit(session, packing);
        },
        [this, outcome, png, name] {
            jobs::StoreRecords(module_, outcome->result.records);
            if (outcome->result.ok)
                edits_->Update(outcome->result.session);
            if (outcome->always)
                edits_->SetAlways(png);
            const jobs::EditCheck& check = outcome->check;
            if (check.state == jobs::EditState::Unreadable || !check.refusal.reason.empty()) {
                if (!closed_)
                    ShowMessage(
                        Varnox::tr("%1\nNichts übernommen; das Bild bleibt in %2")
                            .arg(ToQString(jobs::MessageText(check.refusal)), QDir::toNativeSeparators(png)));
            } else if (outcome->result.ok) {
                SetInfo(Varnox::tr("Fertig: Änderung an %1 übernommen").arg(name));
                picpreview->Clear();
                ShowPreview();
            } else if (!outcome->result.refusal.reason.empty() && !closed_) {
                ShowMessage(ToQString(jobs::MessageText(outcome->result.refusal)));
            }
        });
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

} // namespace varnox::ui
