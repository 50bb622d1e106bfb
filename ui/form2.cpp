#include "ui/form2.h"

#include "formats/picture.h"
#include "jobs/batch.h"
#include "jobs/convert.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/jobrunner.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

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
constexpr std::array<TwipsRect, 3> kOption{
    {{0, 4680, 1200, 255}, {1200, 4680, 1200, 255}, {2400, 4680, 1200, 255}}};
constexpr TwipsRect kConvert{3720, 4560, 1335, 375};
constexpr TwipsRect kUncompressed{5160, 4560, 1680, 375};
constexpr TwipsRect kConvertAll{6960, 4560, 1500, 375};
constexpr TwipsRect kFast{8580, 4560, 1965, 375};
constexpr TwipsRect kProgress{0, 5055, 3600, 345};
constexpr TwipsRect kCancel{3720, 5040, 1335, 375};
constexpr TwipsRect kInfo{5160, 5070, 5385, 300};
constexpr TwipsRect kPreview{6705, 120, 3840, 4320};

// The progress bar and the caption are brought up to date this often while a job runs.
constexpr int kPollMilliseconds = 50;
constexpr int kBarSteps = 1000;

QString What(const std::exception& error)
{
    return QString::fromStdString(error.what());
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

// "1 Datei konvertiert", "3 Dateien konvertiert, 1 abgelehnt, abgebrochen".
QString BatchSummary(const jobs::GfpToTgaResult& result)
{
    QString text = result.written == 1 ? QStringLiteral("1 Datei konvertiert")
                                       : QStringLiteral("%1 Dateien konvertiert").arg(result.written);
    if (!result.refused.empty())
        text += QStringLiteral(", %1 abgelehnt").arg(result.refused.size());
    if (result.kept > 0)
        text += QStringLiteral(", %1 nicht ersetzt").arg(result.kept);
    if (result.cancelled)
        text += QStringLiteral(", abgebrochen");
    return text;
}

// The name of the file the conversion of gfpName writes.
QString PictureName(const QString& gfpName, jobs::PictureFormat format)
{
    return gfpName.left(gfpName.size() - 3) +
           (format == jobs::PictureFormat::Png ? QStringLiteral("png") : QStringLiteral("tga"));
}

} // namespace

QString Form2::Caption()
{
    return QStringLiteral("Varnox Convert  v0.1") + QString::fromUtf16(kCredit);
}

Form2::Form2(Module1& module, const QString& programFolder, QWidget* parent)
    : QWidget(parent), module_(module), programFolder_(programFolder)
{
    setWindowTitle(Caption());
    setFont(WindowFont());
    // The window may grow: the lists keep their places and the preview takes the room.
    setMinimumSize(Twips(0, 0, kWidthTwips, kHeightTwips).size());
    resize(minimumSize());
    runner_ = std::make_unique<JobRunner>();
    workers_ = jobs::DefaultWorkers();

    const auto place = [](QWidget* control, const char* name, QRect where) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(where);
        return control;
    };

    // In tab order.
    File1[0] = new FileListBox(this);
    place(File1[0], "File1_0", Twips(2040, 360, 4455, 1845));
    File1[0]->setPattern(QStringLiteral("*.tga"));
    Dir1[0] = new DirListBox(this);
    place(Dir1[0], "Dir1_0", Twips(0, 360, 1935, 1890));
    Label1 = new QLabel(QStringLiteral("Quelldatei: "), this);
    place(Label1, "Label1", Twips(0, 120, 1455, 255));
    Dir1[1] = new DirListBox(this);
    place(Dir1[1], "Dir1_1", Twips(0, 2640, 1935, 1890));
    File1[1] = new FileListBox(this);
    place(File1[1], "File1_1", Twips(2040, 2640, 4455, 1845));
    File1[1]->setPattern(QStringLiteral("*.gfp"));
    Label2 = new QLabel(QStringLiteral("Zieldatei:"), this);
    place(Label2, "Label2", Twips(0, 2400, 1935, 255));
    Drive1[0] = new DriveListBox(this);
    place(Drive1[0], "Drive1_0", Twips(2040, 0, 4455, 315));
    Drive1[1] = new DriveListBox(this);
    place(Drive1[1], "Drive1_1", Twips(2040, 2280, 4455, 315));
    btnconvert = new QPushButton(QStringLiteral("Convert"), this);
    place(btnconvert, "btnconvert", kConvert.Pixels());
    opgra[0] = new QRadioButton(QStringLiteral("tga->gfp"), this);
    place(opgra[0], "opgra_0", kOption[0].Pixels());
    opgra[1] = new QRadioButton(QStringLiteral("gfp->tga"), this);
    place(opgra[1], "opgra_1", kOption[1].Pixels());
    opgra[2] = new QRadioButton(QStringLiteral("gfp->png"), this);
    place(opgra[2], "opgra_2", kOption[2].Pixels());
    lblinfo = new QLabel(this);
    place(lblinfo, "lblinfo", kInfo.Pixels());
    Command1 = new QPushButton(QStringLiteral("unpack"), this);
    place(Command1, "Command1", Twips(1200, 0, 735, 315));
    chkuncom = new QCheckBox(QStringLiteral("unkomprimiert"), this);
    place(chkuncom, "chkuncom", kUncompressed.Pixels());
    chkfast = new QCheckBox(QStringLiteral("schnell packen"), this);
    place(chkfast, "chkfast", kFast.Pixels());
    chkunpackall = new QCheckBox(QStringLiteral("convert all"), this);
    place(chkunpackall, "chkunpackall", kConvertAll.Pixels());
    chkunpackall->setEnabled(false);
    prgjob = new QProgressBar(this);
    place(prgjob, "prgjob", kProgress.Pixels());
    prgjob->setRange(0, kBarSteps);
    prgjob->setValue(0);
    btncancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    place(btncancel, "btncancel", kCancel.Pixels());
    btncancel->setEnabled(false);
    picpreview = new PreviewBox(this);
    place(picpreview, "picpreview", kPreview.Pixels());

    QWidget* const tabOrder[] = {File1[0],  Dir1[0],    Dir1[1],  File1[1],     Drive1[0],
                                 Drive1[1], btnconvert, opgra[0], opgra[1],     opgra[2],
                                 Command1,  chkuncom,   chkfast,  chkunpackall, btncancel};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    btnconvert->setAutoDefault(false);
    Command1->setAutoDefault(false);
    btncancel->setAutoDefault(false);
    File1[0]->setFocus();

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
        connect(Dir1[i], &DirListBox::ListFailed, this, &Form2::ShowMessage);
        connect(File1[i], &FileListBox::Click, this, [this, i] { File1_Click(i); });
    }
    for (int i = 0; i < 3; ++i)
        connect(opgra[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                opgra_Click(i);
        });
    connect(File1[0], &FileListBox::Listed, this, &Form2::ShowPreview);
    // The source list shows the entry being converted.
    connect(
        this, &Form2::Converting, this, [this](int index) { File1[0]->setListIndex(index); },
        Qt::QueuedConnection);
    connect(btnconvert, &QPushButton::clicked, this, &Form2::btnconvert_Click);
    connect(btncancel, &QPushButton::clicked, this, &Form2::btncancel_Click);
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
    PlaceControls();
}

Form2::~Form2()
{
    runner_->CancelAndWait();
    // The unpacker window has no owner; it goes with the run.
    delete unpacker_.data();
}

void Form2::closeEvent(QCloseEvent* event)
{
    // A conversion still running stops at once and leaves its file as it was; it tells nothing.
    closed_ = true;
    if (runner_->IsRunningFor(this))
        runner_->Cancel();
    event->accept();
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceControls();
}

// The controls below the lists keep their distance from the bottom edge; the preview
// takes what the window grew by.
void Form2::PlaceControls()
{
    const QSize design = Twips(0, 0, kWidthTwips, kHeightTwips).size();
    const int dx = std::max(0, width() - design.width());
    const int dy = std::max(0, height() - design.height());
    const auto down = [dy](QWidget* control, QRect where) { control->setGeometry(where.translated(0, dy)); };
    for (std::size_t i = 0; i < opgra.size(); ++i)
        down(opgra[i], kOption[i].Pixels());
    down(btnconvert, kConvert.Pixels());
    down(chkuncom, kUncompressed.Pixels());
    down(chkfast, kFast.Pixels());
    down(chkunpackall, kConvertAll.Pixels());
    down(prgjob, kProgress.Pixels());
    down(btncancel, kCancel.Pixels());
    down(lblinfo, kInfo.Pixels().adjusted(0, 0, dx, 0));
    picpreview->setGeometry(kPreview.Pixels().adjusted(0, 0, dx, dy));
    ShowStatus(lblinfo);
}

void Form2::SetInfo(const QString& text)
{
    ShowStatus(lblinfo, text);
}

void Form2::ApplyEnabled()
{
    // While this window's job runs, nothing that would change what it works on takes input;
    // while any job runs, nothing can start another.
    const bool own = runner_->IsRunningFor(this);
    const bool gfpSource = mode_ != 0;
    btnconvert->setEnabled(!runner_->IsBusy());
    for (QRadioButton* option : opgra)
        option->setEnabled(!own);
    chkuncom->setEnabled(!own);
    chkfast->setEnabled(!own);
    chkunpackall->setEnabled(!own && gfpSource);
    for (int i = 0; i < 2; ++i) {
        Drive1[i]->setEnabled(!own);
        Dir1[i]->setEnabled(!own);
    }
    File1[0]->setEnabled(!own);
    File1[1]->setEnabled(!own && !gfpSource);
    btncancel->setEnabled(own);
}

void Form2::ShowMessage(const QString& text)
{
    ShowMessageBox(this, sink_, text);
}

void Form2::Form_Load()
{
    try {
        for (int i = 0; i < 2; ++i) {
            File1[i]->setPath(programFolder_);
            Dir1[i]->setPath(programFolder_);
        }
        opgra[0]->setChecked(true);
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

void Form2::Dir1_Change(int Index)
{
    const auto i = static_cast<std::size_t>(Index);
    try {
        File1[i]->setPath(Dir1[i]->path());
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::File1_Click(int Index)
{
    if (Index == 0)
        ShowPreview();
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
            unpacker_ = new Form1(module_, programFolder_, runner_.get());
            unpacker_->setMessageSink(sink_);
            unpacker_->Form_Load();
        }
        unpacker_->show();
        unpacker_->raise();
        unpacker_->activateWindow();
    } catch (const std::exception& error) {
        ShowMessage(QStringLiteral("Das Entpack-Fenster kann nicht geöffnet werden: %1").arg(What(error)));
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
            QStringLiteral("Die Umwandlung ist fehlgeschlagen: %1: %2").arg(SelectedPath(0), What(error)));
    }
}

void Form2::btncancel_Click()
{
    if (!runner_->IsRunningFor(this))
        return;
    runner_->Cancel();
    SetInfo(QStringLiteral("Breche ab …"));
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
            prgjob->setRange(0, kBarSteps);
            prgjob->setValue(failure->isEmpty() && !progress->Cancelled() ? kBarSteps : 0);
            if (tgaStage_) {
                tgaStage_.reset();
                setWindowTitle(Caption());
            }
            if (failure->isEmpty()) {
                done();
            } else {
                SetInfo({});
                if (!closed_)
                    ShowMessage(
                        QStringLiteral("Die Umwandlung ist fehlgeschlagen: %1: %2").arg(source, *failure));
            }
            RefreshLists();
        });
    if (!started)
        return;
    setCursor(Qt::BusyCursor);
    prgjob->setValue(0);
    poll_->start();
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
    if (tgaStage_ && !progress->Cancelled()) {
        const int stage = tgaStage_->load();
        if (stage >= 0)
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
        QStringLiteral("Die Datei gibt es schon, mit anderem Inhalt:\n%1\n\nSoll sie ersetzt werden?")
            .arg(ToQString(target)),
        offerAll);
}

void Form2::ConvertGfpToPicture(jobs::PictureFormat format)
{
    FileListBox* source = File1[0];
    const int selected = source->ListIndex();
    if (selected < 0) {
        ShowMessage(QStringLiteral("Bitte eine Quelldatei auswählen"));
        return;
    }
    const bool all = chkunpackall->checkState() != Qt::Unchecked;
    const int first = all ? 0 : selected;
    const int last = all ? source->ListCount() - 1 : selected;
    const bool several = last > first;
    const QString written = PictureName(source->FileName(), format);

    std::vector<std::string> names;
    for (const QString& name : source->FileNames())
        names.push_back(QFile::encodeName(name).toStdString());
    auto result = std::make_shared<jobs::GfpToTgaResult>();
    JobRunner* runner = runner_.get();
    StartJob(
        [this, runner, result, folder = ToPath(source->path()), names, first, last, several, format,
         workers = workers_](jobs::JobProgress& progress) {
            const jobs::ReplaceQuestion ask = [this, runner, several](const Path& target) {
                return runner->Ask([this, target, several] { return AskReplace(target, several); });
            };
            const auto select = [this](int k) { emit Converting(k); };
            if (several) {
                // Several files go to the pool; the answers hold as they do one file at a time.
                jobs::BatchOptions options;
                options.format = format;
                options.workers = workers;
                options.progress = &progress;
                options.askReplace = ask;
                *result =
                    jobs::ConvertGfpFilesParallel(folder, names, first, last, options, select, &module_);
                return;
            }
            jobs::GfpToTgaOptions options;
            options.format = format;
            options.progress = &progress;
            options.askReplace = ask;
            *result = jobs::ConvertGfpToTga(module_, folder, names, first, last, select, options);
        },
        [this, result, several, written] {
            if (several)
                SetInfo(BatchSummary(*result));
            else if (result->cancelled)
                SetInfo(QStringLiteral("Abgebrochen"));
            else if (result->kept > 0)
                SetInfo(QStringLiteral("Nicht ersetzt: %1").arg(written));
            else if (result->written > 0)
                SetInfo(QStringLiteral("Fertig: %1").arg(written));
            if (!result->refused.empty() && !closed_) {
                QString text = QStringLiteral("Nicht umgewandelt:");
                for (const jobs::Refusal& refusal : result->refused)
                    text += u'\n' + ToQString(jobs::MessageText(refusal));
                ShowMessage(text);
            }
        });
}

GfpPacking Form2::Packing() const
{
    if (chkuncom->checkState() != Qt::Unchecked)
        return GfpPacking::Uncompressed;
    return chkfast->checkState() != Qt::Unchecked ? GfpPacking::Fast : GfpPacking::Zlib;
}

void Form2::ConvertTgaToGfp()
{
    if (File1[1]->ListIndex() < 0 || File1[0]->ListIndex() < 0) {
        ShowMessage(QStringLiteral("Bitte eine Quell und Zieldatei auswählen"));
        return;
    }
    const QString source = SelectedPath(0);
    auto result = std::make_shared<jobs::TgaToGfpResult>();
    auto stage = std::make_shared<std::atomic<int>>(-1);
    tgaStage_ = stage;
    StartJob(
        [this, result, stage, from = ToPath(source), to = ToPath(SelectedPath(1)),
         packing = Packing()](jobs::JobProgress& progress) {
            const auto told = [stage](jobs::TgaToGfpStage now) { stage->store(static_cast<int>(now)); };
            const jobs::PictureFormat format =
                PictureKindOf(from) == PictureKind::Png ? jobs::PictureFormat::Png : jobs::PictureFormat::Tga;
            *result = jobs::ConvertPictureToGfp(module_, from, format, to, packing, told, {}, &progress);
        },
        [this, result, target = File1[1]->FileName()] {
            if (result->ok) {
                SetInfo(QStringLiteral("Fertig: %1").arg(target));
            } else if (result->cancelled) {
                SetInfo(QStringLiteral("Abgebrochen"));
            } else {
                SetInfo({});
                if (!closed_)
                    ShowMessage(ToQString(jobs::MessageText(result->refusal)));
            }
        });
}

} // namespace varnox::ui
