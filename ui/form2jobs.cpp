// The converter window's jobs: the conversions behind "Convert", restore, and the GFP out in
// the editor. Each runs on the worker from values taken here and hands back its result.
#include "formats/describe.h"
#include "ui/form2.h"

#include "formats/picture.h"
#include "formats/text.h"
#include "jobs/convert.h"
#include "jobs/edit.h"
#include "jobs/restore.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/jobrunner.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <optional>

namespace varnox::ui {

namespace {

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

// Asks through ask before a picture of another size replaces the one in to; true when it may.
bool PictureSizeAgreed(const Path& from, const Path& to, const JobQuestion& ask)
{
    const std::optional<QSize> now = PictureSize(to);
    const std::optional<QSize> next = PictureSize(from);
    if (!now || !next || *now == *next)
        return true;
    const QString text = Varnox::tr("Das Bild in %1 ist %2 groß, das neue %3. Trotzdem ersetzen?")
                             .arg(ToQString(to.filename()), SizeText(*now), SizeText(*next));
    return ask(text) == jobs::ReplaceAnswer::Yes;
}

// A TGA or PNG put into a GFP, unless the user declined another size.
struct Converted {
    bool declined = false;
    jobs::TgaToGfpResult result;
};

} // namespace

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
        ShowMessage(Varnox::tr("Die Umwandlung ist fehlgeschlagen: %1: %2")
                        .arg(SelectedPath(0), QString::fromStdString(Translate(error.what()))));
    }
}

void Form2::btncancel_Click()
{
    if (!runner_->IsRunningFor(this))
        return;
    runner_->Cancel();
    SetInfo(Varnox::tr("Breche ab …"));
}

// The start of one of this window's jobs: the busy cursor and the bar.
void Form2::StartedJob()
{
    setCursor(Qt::BusyCursor);
    StartBar(prgjob);
    poll_->start();
}

// Before a job's end is shown: the bar stops following it, the caption is its own again.
void Form2::EndingJob()
{
    poll_->stop();
    unsetCursor();
    if (runner_->Progress()->Stage() >= 0)
        setWindowTitle(Caption());
}

// After a job's end was shown: a bar that told no end of its own ran to its end or was cancelled.
void Form2::EndedJob()
{
    const jobs::JobProgress* progress = runner_->Progress();
    if (prgjob->format() == QString::fromUtf16(kRunningFormat))
        EndBar(progress->Cancelled() ? Varnox::tr("Abgebrochen") : Varnox::tr("Fertig"),
               !progress->Cancelled());
    RefreshLists();
}

// A job that threw on source: it failed, whatever it had done.
void Form2::JobFailed(const QString& source, const QString& failure)
{
    convertingFrom_ = -1;
    EndingJob();
    EndBar(Varnox::tr("Fehlgeschlagen"), false);
    SetInfo({});
    if (!closed_)
        ShowMessage(Varnox::tr("Die Umwandlung ist fehlgeschlagen: %1: %2").arg(source, failure));
    RefreshLists();
}

void Form2::EndBar(const QString& text, bool full)
{
    EndJobBar(prgjob, text, full);
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
    const JobQuestion ask = runner_->MakeQuestion(this, [this, several](const QString& text) {
        return AskQuestion(this, questionSink_, text, several);
    });
    // The source list follows the file in hand (ShowProgress).
    convertingFrom_ = first;
    StartJob(
        [ask, gfps = std::move(gfps), several, format, workers = workers_](jobs::JobProgress& progress) {
            // Several files go to the pool; the answers hold as they do one file at a time.
            jobs::BatchOptions options;
            options.format = format;
            options.workers = several ? workers : 1;
            options.progress = &progress;
            options.askReplace = [ask](const Path& target) {
                return ask(
                    Varnox::tr("Die Datei gibt es schon, mit anderem Inhalt:\n%1\n\nSoll sie ersetzt werden?")
                        .arg(ToQString(target)));
            };
            return jobs::ConvertGfpFiles(gfps, options);
        },
        [this, several, first, written = QDir(source->path()).filePath(written)](
            const std::shared_ptr<jobs::GfpToTgaResult>& result) {
            ShowConverted(result, several, first, written);
        });
}

// The end of GFP -> TGA/PNG: the file written, or what the batch came to.
void Form2::ShowConverted(const std::shared_ptr<jobs::GfpToTgaResult>& result, bool several, int first,
                          const QString& written)
{
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
        for (const Error& error : result->refused)
            text += u'\n' + ToQString(MessageText(error));
        ShowMessage(text, MessageKind::Warning);
    }
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
        ShowMessage(Varnox::tr("Bitte eine Quell- und Zieldatei auswählen"), MessageKind::Information);
        return;
    }
    const QString source = SelectedPath(0);
    const JobQuestion ask = runner_->MakeQuestion(
        this, [this](const QString& text) { return AskQuestion(this, questionSink_, text, false); });
    StartJob(
        [ask, from = ToPath(source), to = ToPath(SelectedPath(1)),
         packing = Packing()](jobs::JobProgress& progress) {
            Converted converted;
            if (!PictureSizeAgreed(from, to, ask)) {
                converted.declined = true;
                return converted;
            }
            const jobs::PictureFormat format =
                PictureKindOf(from) == PictureKind::Png ? jobs::PictureFormat::Png : jobs::PictureFormat::Tga;
            converted.result = jobs::ConvertPictureToGfp(from, format, to, packing, &progress);
            return converted;
        },
        [this, target = File1[1]->FileName()](const std::shared_ptr<Converted>& converted) {
            const std::shared_ptr<jobs::TgaToGfpResult> result(converted, &converted->result);
            jobs::StoreRecords(module_, result->records);
            if (converted->declined) {
                SetInfo(Varnox::tr("Nicht ersetzt: %1").arg(target));
                EndBar(Varnox::tr("Nicht ersetzt"), false);
            } else if (result->status.ok()) {
                SetInfo(Varnox::tr("Fertig: %1").arg(target));
            } else if (result->cancelled) {
                SetInfo(Varnox::tr("Abgebrochen"));
            } else {
                SetInfo({});
                EndBar(Varnox::tr("Abgelehnt"), false);
                if (!closed_)
                    ShowMessage(ToQString(MessageText(result->status.error())), MessageKind::Warning);
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
    StartJob([file = ToPath(target)](jobs::JobProgress&) { return jobs::RestoreBackup(file); },
             [this, name = QFileInfo(target).fileName()](const std::shared_ptr<Status>& result) {
                 if (result->ok()) {
                     SetInfo(
                         Varnox::tr("Wiederhergestellt: %1 (die vorige Fassung ist jetzt %1.bak)").arg(name));
                 } else {
                     SetInfo({});
                     EndBar(Varnox::tr("Abgelehnt"), false);
                     if (!closed_)
                         ShowMessage(ToQString(MessageText(result->error())), MessageKind::Warning);
                 }
                 picpreview->Clear();
                 ShowPreview();
             });
}

QString Form2::RestorableFile() const
{
    if (mode_ != ConvertMode::TgaToGfp)
        return EditableGfp();
    return File1[1]->ListIndex() >= 0 ? SelectedPath(1) : QString();
}

QString Form2::EditableGfp() const
{
    const int side = mode_ == ConvertMode::TgaToGfp ? 1 : 0;
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
    if (!start.status.ok()) {
        ShowMessage(ToQString(MessageText(start.status.error())));
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
    const QString name = ToQString(session->source.filename());
    const JobQuestion ask = runner_->MakeQuestion(
        this, [this](const QString& text) { return AskEditQuestion(this, questionSink_, text); });
    StartJob([session = *session, always = edits_->Always(png), ask,
              question = Varnox::tr("Änderung an %1 übernehmen?").arg(name), packing = Packing()](
                 jobs::JobProgress&) { return AskAndApplyEdit(session, always, packing, question, ask); },
             [this, png, name](const std::shared_ptr<EditOutcome>& outcome) {
                 jobs::StoreRecords(module_, outcome->result.records);
                 if (const QString unread = KeepEditOutcome(*outcome, *edits_, png); !unread.isEmpty()) {
                     if (!closed_)
                         ShowMessage(unread);
                 } else if (outcome->result.status.ok()) {
                     SetInfo(Varnox::tr("Fertig: Änderung an %1 übernommen").arg(name));
                     picpreview->Clear();
                     ShowPreview();
                 } else if (!outcome->result.status && !closed_) {
                     ShowMessage(ToQString(MessageText(outcome->result.status.error())));
                 }
             });
}

} // namespace varnox::ui
