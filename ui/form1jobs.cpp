// The unpacker window's jobs: the report of the archive clicked, extract, pack, replace and
// restore. Each runs on the worker from values taken here and hands back its result.
#include "formats/describe.h"
#include "ui/form1.h"

#include "jobs/archive.h"
#include "jobs/edit.h"
#include "jobs/restore.h"
#include "jobs/sidepicture.h"
#include "ui/archivelisting.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/folderdialog.h"
#include "ui/folders.h"
#include "ui/itemtable.h"
#include "ui/jobrunner.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace varnox::ui {

namespace {

// "3 Bilder entpackt, 1 nicht entpackt", "Abgebrochen: 1 Bild entpackt".
QString UnpackSummary(const jobs::ReportResult& result, bool cancelled)
{
    QString text = cancelled ? Varnox::tr("Abgebrochen: ") : QString();
    text += result.written == 1 ? Varnox::tr("1 Bild entpackt")
                                : Varnox::tr("%1 Bilder entpackt").arg(result.written);
    if (!result.failures.empty())
        text += Varnox::tr(", %1 nicht entpackt").arg(result.failures.size());
    return text;
}

// "3 Bilder wurden seit dem Entpacken bearbeitet: …", naming the first few.
QString EditedPicturesQuestion(const std::vector<std::string>& edited)
{
    constexpr std::size_t kNamed = 5;
    QStringList names;
    for (std::size_t i = 0; i < edited.size() && i < kNamed; ++i)
        names << ToQString(Path(edited[i]).filename());
    if (edited.size() > kNamed)
        names << QStringLiteral("…");
    return Varnox::tr("%1 Bilder wurden seit dem Entpacken bearbeitet:\n%2\n\nSollen sie durch die "
                      "Bilder des Archivs ersetzt werden?")
        .arg(edited.size())
        .arg(names.join(u'\n'));
}

// An item replaced by a picture, then the archive read anew (nothing read when refused).
struct Replaced {
    jobs::ReplaceResult replaced;
    ArchiveListing listing;
};

} // namespace

void Form1::filFile_Click()
{
    const QString folder = filFile->path();
    const QString name = filFile->FileName();
    if (name.isEmpty())
        return;
    if (QDir::cleanPath(folder + u'/' + name) != archive_)
        EndEdits();
    if (runner_->IsRunningFor(this) && reportJob_) {
        // The report in hand is of no use any more; an unpack goes on to its end.
        clickWaiting_ = true;
        if (!*unpackWanted_)
            runner_->Cancel();
        ApplyEnabled();
        return;
    }
    if (runner_->IsBusy())
        return;

    txtinfo->clear();
    ShowStatus(lblinfo, {});
    ShowItems(nullptr, -1);
    *unpackWanted_ = Check1->checkState() != Qt::Unchecked;
    reportJob_ = true;
    const QString archive = QDir::cleanPath(folder + u'/' + name);
    const bool started = runner_->Run(
        this,
        [wanted = unpackWanted_, folder, name](jobs::JobProgress& progress) {
            jobs::ReportOptions options;
            options.extractWanted = [wanted] { return wanted->load(); };
            options.progress = &progress;
            return ListArchive(folder, name, options);
        },
        [this, archive](const std::shared_ptr<ArchiveListing>& listing) { ShowReport(listing, archive); },
        [this, archive](const QString& failure) {
            if (!EndReport())
                return;
            ShowStatus(lblinfo, {});
            EndJobBar(prgjob, Varnox::tr("Fehlgeschlagen"), false);
            if (!closing_)
                ShowMessage(
                    Varnox::tr("Das Archiv kann nicht ausgewertet werden: %1: %2").arg(archive, failure));
            RefreshLists();
            if (closing_)
                deleteLater();
        });
    if (started)
        StartedJob(true);
    else
        reportJob_ = false;
}

// The end of a report; false when a file was clicked meanwhile: that one is read next.
bool Form1::EndReport()
{
    reportJob_ = false;
    EndedJob();
    if (clickWaiting_ && !closing_) {
        // The file clicked meanwhile, once this job has ended.
        clickWaiting_ = false;
        clickLater_->start();
        return false;
    }
    return true;
}

// The report and items of archive once read: the unpack's outcome in the status line.
void Form1::ShowReport(const std::shared_ptr<ArchiveListing>& listing, const QString& archive)
{
    jobs::StoreRecords(module_, std::move(listing->report.records));
    const bool cancelled = runner_->Progress()->Cancelled();
    if (!EndReport())
        return;
    const jobs::ReportResult& result = listing->report;
    ShowListing(listing);
    if (listing->listed)
        archive_ = archive;
    if (!result.valid)
        EndJobBar(prgjob, Varnox::tr("Kein Archiv"), false);
    else
        ShowStatus(lblinfo, result.written > 0 || !result.failures.empty() || cancelled
                                ? UnpackSummary(result, cancelled)
                                : Varnox::tr("Fertig: %1").arg(QFileInfo(archive).fileName()));
    RefreshLists();
    if (closing_)
        deleteLater();
}

// The folder to extract into: the unpack folder is proposed, and made by the extract when
// the user takes it. Empty when the user declined.
QString Form1::ChooseExtractFolder()
{
    const QString proposed = ToQString(jobs::ExtractFolder(ToPath(archive_)));
    const QString start = proposed.isEmpty() ? QFileInfo(archive_).path() : proposed;
    const QString caption = Varnox::tr("Entpacken nach");
    if (chooseFolder_)
        return chooseFolder_(caption, start);
    ProposingFolderDialog dialog(this, caption, start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void Form1::btnextractall_Click()
{
    Extract({});
}

void Form1::btnextractsel_Click()
{
    const std::vector<std::size_t> only = SelectedItems();
    if (!only.empty())
        Extract(only);
}

// Writes the items only names (every item and archive.txt when only is empty).
void Form1::Extract(const std::vector<std::size_t>& only)
{
    if (runner_->IsBusy() || model_ == nullptr)
        return;
    const QString folder = ChooseExtractFolder();
    if (folder.isEmpty())
        return;
    ShowStatus(lblinfo, Varnox::tr("Entpacke …"));
    const JobQuestion askReplace = runner_->MakeQuestion(
        this, [this](const QString& text) { return AskQuestion(this, questions_, text, true); });
    const JobQuestion askEdited = runner_->MakeQuestion(
        this, [this](const QString& text) { return AskQuestion(this, questions_, text, false); });
    const bool started = runner_->Run(
        this,
        [askReplace, askEdited, archive = ToPath(archive_), to = ToPath(folder), only,
         pictures = chkpng->isChecked() ? jobs::SidePicture::Png
                                        : jobs::SidePicture::None](jobs::JobProgress& progress) {
            // As the conversions do: a file of other content is replaced only when the user says so.
            const jobs::ReplaceQuestion ask = [askReplace](const Path& target) {
                return askReplace(
                    Varnox::tr("Die Datei gibt es schon, mit anderem Inhalt:\n%1\n\nSoll sie ersetzt werden?")
                        .arg(ToQString(target)));
            };
            jobs::ExtractResult result =
                jobs::ExtractArchive(archive, to, only, ask, pictures, jobs::EditedFiles::Refuse, &progress);
            // Pictures the user edited since they were extracted are replaced only when
            // the user says so; the refusal wrote nothing, so the extract runs again.
            if (!result.status.ok() && !result.edited.empty() &&
                askEdited(EditedPicturesQuestion(result.edited)) == jobs::ReplaceAnswer::Yes)
                result = jobs::ExtractArchive(archive, to, only, ask, pictures, jobs::EditedFiles::Replace,
                                              &progress);
            return result;
        },
        [this, folder](const std::shared_ptr<jobs::ExtractResult>& result) {
            jobs::StoreRecords(module_, result->records);
            const QString written = result->written == 1
                                        ? Varnox::tr("1 Eintrag entpackt")
                                        : Varnox::tr("%1 Einträge entpackt").arg(result->written);
            const QString replaced = result->replaced.empty()
                                         ? QString()
                                         : Varnox::tr(", %1 ersetzt").arg(result->replaced.size());
            ShowFolderJobEnd(result->status, Varnox::tr("%1 nach %2%3, %4")
                                                 .arg(written, QDir::toNativeSeparators(folder), replaced,
                                                      ToQString(result->summary)));
        },
        [this, archive = archive_](const QString& failure) { ShowFolderJobFailure(archive, failure); });
    // Cancelled, an extract stops before its next file and writes no archive.txt.
    if (started)
        StartedJob(true);
}

void Form1::btnpack_Click()
{
    if (runner_->IsBusy())
        return;
    const QString start = archive_.isEmpty() ? Dir1->path() : QFileInfo(archive_).path();
    const QString caption = Varnox::tr("Ordner mit archive.txt packen");
    const QString folder = chooseFolder_ ? chooseFolder_(caption, start)
                                         : QFileDialog::getExistingDirectory(this, caption, start);
    if (folder.isEmpty())
        return;
    if (!QFileInfo(QDir(folder).filePath(QString::fromUtf8(kManifestName))).isFile()) {
        ShowMessage(Varnox::tr("%1: Der Ordner hat keine archive.txt").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    const QString saveCaption = Varnox::tr("Archiv schreiben");
    const QString filter = Varnox::tr("RES-Archive (*.res)");
    const QString proposed = QDir(folder).absolutePath() + QStringLiteral(".res");
    const QString archive = chooseFile_
                                ? chooseFile_(saveCaption, proposed, filter)
                                : QFileDialog::getSaveFileName(this, saveCaption, proposed, filter, nullptr,
                                                               QFileDialog::DontConfirmOverwrite);
    if (archive.isEmpty())
        return;
    if (QFileInfo::exists(archive) &&
        AskQuestion(this, questions_,
                    Varnox::tr("Das Archiv gibt es schon:\n%1\n\nSoll es ersetzt werden? "
                               "Das alte wird als %2.bak aufbewahrt.")
                        .arg(QDir::toNativeSeparators(archive), QFileInfo(archive).fileName()),
                    false) != jobs::ReplaceAnswer::Yes)
        return;
    PackFolder(folder, archive);
}

// Packs folder into archive on the worker.
void Form1::PackFolder(const QString& folder, const QString& archive)
{
    ShowStatus(lblinfo, Varnox::tr("Packe …"));
    const bool started = runner_->Run(
        this,
        [from = ToPath(folder), to = ToPath(archive)](jobs::JobProgress& progress) {
            return jobs::PackArchive(from, to, GfpPacking::Zlib, &progress);
        },
        [this, archive](const std::shared_ptr<jobs::PackResult>& result) {
            if (result->cancelled) {
                ShowFolderJobEnd(Status(), Varnox::tr("Packen abgebrochen; %1 bleibt, wie es war")
                                               .arg(QDir::toNativeSeparators(archive)));
                return;
            }
            ShowFolderJobEnd(result->status, Varnox::tr("%1 Einträge nach %2 gepackt")
                                                 .arg(result->items)
                                                 .arg(QDir::toNativeSeparators(archive)));
        },
        [this, archive](const QString& failure) { ShowFolderJobFailure(archive, failure); });
    // Cancelled, a pack drops its new archive; the old one stays as it was.
    if (started)
        StartedJob(true);
}

// The end of an extract or a pack: done's text in the status line, or the refusal.
void Form1::ShowFolderJobEnd(const Status& status, const QString& done)
{
    EndedJob();
    if (status) {
        ShowStatus(lblinfo, done);
    } else {
        ShowStatus(lblinfo, {});
        EndJobBar(prgjob, Varnox::tr("Abgelehnt"), false);
        if (!closing_)
            ShowMessage(ToQString(MessageText(status.error())));
    }
    RefreshLists();
    if (closing_)
        deleteLater();
}

// The end of a job that threw: the file it worked on and what was thrown, as a refusal.
void Form1::ShowFolderJobFailure(const QString& file, const QString& failure)
{
    EndedJob();
    ShowStatus(lblinfo, {});
    EndJobBar(prgjob, Varnox::tr("Abgelehnt"), false);
    if (!closing_)
        ShowMessage(ToQString(PathText(ToPath(file))) + QStringLiteral(": ") + failure);
    RefreshLists();
    if (closing_)
        deleteLater();
}

void Form1::btnreplace_Click()
{
    const int index = SelectedItem();
    if (runner_->IsBusy() || index < 0)
        return;
    const QString caption = Varnox::tr("Neues Bild wählen");
    const QString start = QFileInfo(archive_).path();
    const QString filter = Varnox::tr("Bilder (*.gfp *.tga *.png)");
    const QString picture = chooseFile_ ? chooseFile_(caption, start, filter)
                                        : QFileDialog::getOpenFileName(this, caption, start, filter);
    if (picture.isEmpty())
        return;
    if (AskQuestion(this, questions_, ReplaceQuestion(index, picture), false) != jobs::ReplaceAnswer::Yes)
        return;
    ReplaceFrom(index, picture);
}

void Form1::lstitems_Drop(int item, const QString& picture)
{
    if (runner_->IsBusy() || model_ == nullptr || item < 0 || item >= table_->rowCount())
        return;
    if (model_->items[static_cast<std::size_t>(item)].entry.itemDataType != kItemTypePicture) {
        ShowMessage(Varnox::tr("Nur Bilder (Grafik) lassen sich ersetzen"), MessageKind::Information);
        return;
    }
    if (AskQuestion(this, questions_, ReplaceQuestion(item, picture), false) != jobs::ReplaceAnswer::Yes)
        return;
    ReplaceFrom(item, picture);
}

QString Form1::ReplaceQuestion(int item, const QString& picture) const
{
    const QString name = table_->data(table_->index(item, kName), Qt::DisplayRole).toString();
    QString question = Varnox::tr("Ersetzen?\n#%1 %2 in %3 durch %4")
                           .arg(item)
                           .arg(name, QFileInfo(archive_).fileName(), QFileInfo(picture).fileName());
    const auto now = jobs::SizeOfItemPicture(ToPath(archive_), *model_, static_cast<std::size_t>(item));
    const auto next = jobs::SizeOfPicture(ToPath(picture));
    if (now && next && !(*now == *next))
        question += Varnox::tr("\n\nDas neue Bild ist %1 \u00d7 %2 groß, das alte %3 \u00d7 %4.")
                        .arg(next->width)
                        .arg(next->height)
                        .arg(now->width)
                        .arg(now->height);
    return question;
}

// Replaces item index of the archive shown by picture on the worker; the report, the list
// and the preview then show the archive as it is now.
void Form1::ReplaceFrom(int index, const QString& picture)
{
    const QString name = table_->data(table_->index(index, kName), Qt::DisplayRole).toString();
    ShowStatus(lblinfo, Varnox::tr("Ersetze …"));
    const QFileInfo archive(archive_);
    const bool started = runner_->Run(
        this,
        [folder = archive.path(), file = archive.fileName(), index,
         from = ToPath(picture)](jobs::JobProgress& progress) {
            Replaced done;
            done.replaced = jobs::ReplaceItem(ToPath(folder + u'/' + file), "#" + std::to_string(index), from,
                                              GfpPacking::Zlib);
            if (!done.replaced.status.ok())
                return done;
            jobs::ReportOptions options; // a fresh report, without unpacking
            options.progress = &progress;
            done.listing = ListArchive(folder, file, options);
            return done;
        },
        [this, index, name, path = archive_](const std::shared_ptr<Replaced>& done) {
            const std::shared_ptr<jobs::ReplaceResult> replaced(done, &done->replaced);
            const std::shared_ptr<ArchiveListing> listing(done, &done->listing);
            jobs::StoreRecords(module_, replaced->records);
            jobs::StoreRecords(module_, listing->report.records);
            EndedJob();
            if (!replaced->status.ok()) {
                ShowStatus(lblinfo, {});
                if (!closing_)
                    ShowMessage(ToQString(MessageText(replaced->status.error())));
            } else {
                ShowListing(listing, index);
                if (listing->listed)
                    archive_ = path;
                lstitems_SelectionChanged();
                ShowStatus(lblinfo, Varnox::tr("Fertig: #%1 %2 ersetzt").arg(index).arg(name));
            }
            if (closing_)
                deleteLater();
        },
        [this, picture](const QString& failure) {
            EndedJob();
            ShowStatus(lblinfo, {});
            if (!closing_)
                ShowMessage(ToQString(PathText(ToPath(picture))) + QStringLiteral(": ") + failure);
            if (closing_)
                deleteLater();
        });
    if (started)
        StartedJob(false);
}

void Form1::btnrestore_Click()
{
    const QString archive = SelectedArchive();
    if (runner_->IsBusy() || archive.isEmpty() || !jobs::HasBackup(ToPath(archive)))
        return;
    if (AskQuestion(this, questions_, RestoreQuestion(archive), false) != jobs::ReplaceAnswer::Yes)
        return;
    const bool started = runner_->Run(
        this, [file = ToPath(archive)](jobs::JobProgress&) { return jobs::RestoreBackup(file); },
        [this, archive](const std::shared_ptr<Status>& result) {
            EndedJob();
            const QString name = QFileInfo(archive).fileName();
            if (!result->ok()) {
                EndJobBar(prgjob, Varnox::tr("Abgelehnt"), false);
                if (!closing_)
                    ShowMessage(ToQString(MessageText(result->error())));
            }
            RefreshLists();
            if (closing_) {
                deleteLater();
                return;
            }
            // The archive shown is read again: it is another file now.
            if (result->ok() && filFile->FileName() == name)
                clickLater_->start();
            if (result->ok())
                ShowStatus(
                    lblinfo,
                    Varnox::tr("Wiederhergestellt: %1 (die vorige Fassung ist jetzt %1.bak)").arg(name));
        },
        [this, archive](const QString& failure) { ShowFolderJobFailure(archive, failure); });
    if (started)
        StartedJob(false);
}

} // namespace varnox::ui
