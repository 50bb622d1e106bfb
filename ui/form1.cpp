#include "ui/form1.h"

#include "jobs/report.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/jobrunner.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

namespace varnox::ui {

namespace {

// Client area 6915 x 4620 twips, and a row for the job below.
constexpr int kWidthTwips = 6915;
constexpr int kHeightTwips = 5100;
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

} // namespace

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

    setTabOrder(filFile, txtinfo);
    setTabOrder(txtinfo, Check1);
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
    btncancel->setEnabled(own);
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

// The lists keep their places, the report takes what the window grew by, and the job's row
// keeps its distance from the bottom edge.
void Form1::PlaceControls()
{
    const QSize design = Twips(0, 0, kWidthTwips, kHeightTwips).size();
    const int dx = std::max(0, width() - design.width());
    const int dy = std::max(0, height() - design.height());
    txtinfo->setGeometry(Twips(2280, 120, 4575, 4455).adjusted(0, 0, dx, dy));
    prgjob->setGeometry(Twips(120, 4695, 2055, 345).translated(0, dy));
    lblinfo->setGeometry(Twips(2280, 4710, 3360, 300).adjusted(0, dy, dx, dy));
    btncancel->setGeometry(Twips(5760, 4680, 1095, 375).translated(dx, dy));
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
    *unpackWanted_ = Check1->checkState() != Qt::Unchecked;
    listHadFocus_ = focusWidget() == filFile;
    if (listHadFocus_)
        txtinfo->setFocus();
    auto result = std::make_shared<jobs::ReportResult>();
    auto failure = std::make_shared<QString>();
    const bool started = runner_->Start(
        this,
        [this, result, failure, wanted = unpackWanted_, from = ToPath(folder),
         file = QFile::encodeName(name).toStdString()](jobs::JobProgress& progress) {
            try {
                jobs::ReportOptions options;
                options.extractWanted = [wanted] { return wanted->load(); };
                options.progress = &progress;
                *result = jobs::RunArchiveReport(module_, from, file, options);
            } catch (const std::exception& error) {
                *failure = QString::fromStdString(error.what());
            }
        },
        [this, result, failure, archive = QDir::cleanPath(folder + u'/' + name)] {
            poll_->stop();
            unsetCursor();
            const bool cancelled = runner_->Progress()->Cancelled();
            prgjob->setRange(0, kBarSteps);
            prgjob->setValue(cancelled ? 0 : kBarSteps);
            if (!failure->isEmpty()) {
                ShowStatus(lblinfo, {});
                if (!closing_)
                    ShowMessage(QStringLiteral("Das Archiv kann nicht ausgewertet werden: %1: %2")
                                    .arg(archive, *failure));
            } else {
                ShowReport(ToQString(jobs::ReportText(*result)), !result->failures.empty());
                if (result->valid)
                    ShowStatus(lblinfo,
                               result->written > 0 || !result->failures.empty() || cancelled
                                   ? UnpackSummary(*result, cancelled)
                                   : QStringLiteral("Fertig: %1").arg(QFileInfo(archive).fileName()));
            }
            Dir1->Refresh();
            filFile->Refresh();
            if (closing_)
                deleteLater();
        });
    if (!started)
        return;
    setCursor(Qt::BusyCursor);
    prgjob->setValue(0);
    poll_->start();
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
