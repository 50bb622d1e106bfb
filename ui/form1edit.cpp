// The unpacker window's pictures out in the editor: each written as a PNG, opened in the
// editor, and each save put back into its item on asking.
#include "formats/describe.h"
#include "ui/form1.h"

#include "jobs/edit.h"
#include "ui/archivelisting.h"
#include "ui/editwatch.h"
#include "ui/folders.h"
#include "ui/jobrunner.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace varnox::ui {

// A save taken back, then the archive read anew (nothing read unless the save was put in).
struct TakenBack {
    EditOutcome outcome;
    ArchiveListing listing;
};

void Form1::btnedit_Click()
{
    const int index = SelectedItem();
    if (runner_->IsBusy() || index < 0 || !btnedit->isEnabled())
        return;
    StartEdit(index);
}

// Writes item index as a PNG into a private folder on the worker, then opens it in the
// editor and watches it.
void Form1::StartEdit(int index)
{
    QString failure;
    const std::optional<Path> folder = MakePrivateFolder(failure);
    if (!folder) {
        ShowMessage(failure);
        return;
    }
    const bool started = runner_->Run(
        this,
        [archive = ToPath(archive_), index, to = *folder](jobs::JobProgress&) {
            return jobs::StartItemEdit(archive, "#" + std::to_string(index), to);
        },
        [this](const std::shared_ptr<jobs::EditStart>& start) {
            jobs::StoreRecords(module_, start->records);
            EndedJob();
            if (closing_) {
                deleteLater();
                return;
            }
            if (!start->status.ok()) {
                ShowMessage(ToQString(MessageText(start->status.error())));
                return;
            }
            const QString png = ToQString(start->session.png);
            if (QString reason; !StartEditor(png, reason)) {
                ShowMessage(reason);
                return;
            }
            edits_->Watch(start->session);
            ShowStatus(lblinfo, Varnox::tr("Im Bildbearbeiter: %1").arg(QDir::toNativeSeparators(png)));
        },
        [this, archive = archive_](const QString& thrown) { ShowFolderJobFailure(archive, thrown); });
    if (started)
        StartedJob(false);
}

void Form1::EditSaved(const QString& png)
{
    if (runner_->IsBusy()) {
        if (!pendingEdits_.contains(png))
            pendingEdits_.append(png);
        return;
    }
    TakeBackEdit(png);
}

void Form1::EndEdits()
{
    edits_->Stop();
    pendingEdits_.clear();
}

// Compares the saved PNG with the item on the worker and, once asked (unless the user said
// "Immer für dieses Bild"), puts it into the item; the window then shows the archive anew.
void Form1::TakeBackEdit(const QString& png)
{
    const std::optional<jobs::EditSession> session = edits_->Session(png);
    if (!session || runner_->IsBusy())
        return;
    const QFileInfo archive(ToQString(session->source));
    const QString question = Varnox::tr("Änderung an #%1 %2 in %3 übernehmen?")
                                 .arg(session->index)
                                 .arg(ToQString(session->itemName), ToQString(session->source.filename()));
    const JobQuestion ask = runner_->MakeQuestion(
        this, [this](const QString& text) { return AskEditQuestion(this, questions_, text); });
    const bool started = runner_->Run(
        this,
        [session = *session, always = edits_->Always(png), question, ask, folder = archive.path(),
         file = archive.fileName()](jobs::JobProgress& progress) {
            TakenBack done;
            done.outcome = AskAndApplyEdit(session, always, GfpPacking::Zlib, question, ask);
            if (!done.outcome.result.status.ok())
                return done;
            jobs::ReportOptions options;
            options.progress = &progress;
            done.listing = ListArchive(folder, file, options);
            return done;
        },
        [this, png, index = session->index, source = archive.absoluteFilePath()](
            const std::shared_ptr<TakenBack>& done) { ShowTakenBack(done, png, index, source); },
        [this, png](const QString& failure) { ShowFolderJobFailure(png, failure); });
    if (started)
        StartedJob(false);
}

// What taking back a save of png (item index of source) came to: the archive as it is now.
void Form1::ShowTakenBack(const std::shared_ptr<TakenBack>& done, const QString& png, int index,
                          const QString& source)
{
    const std::shared_ptr<EditOutcome> outcome(done, &done->outcome);
    const std::shared_ptr<ArchiveListing> listing(done, &done->listing);
    jobs::StoreRecords(module_, outcome->result.records);
    jobs::StoreRecords(module_, listing->report.records);
    EndedJob();
    if (closing_) {
        deleteLater();
        return;
    }
    const jobs::EditCheck& check = outcome->check;
    if (const QString unread = KeepEditOutcome(*outcome, *edits_, png); !unread.isEmpty()) {
        ShowMessage(unread);
    } else if (check.state == jobs::EditState::Changed && !outcome->result.status.ok()) {
        if (!outcome->result.status)
            ShowMessage(ToQString(MessageText(outcome->result.status.error())));
        ShowStatus(lblinfo, Varnox::tr("Nicht übernommen: #%1").arg(index));
    } else if (outcome->result.status.ok()) {
        if (listing->listed && QDir::cleanPath(source) == archive_) {
            ShowListing(listing, index);
            lstitems_SelectionChanged();
        }
        ShowStatus(lblinfo, Varnox::tr("Fertig: Änderung an #%1 übernommen").arg(index));
    }
}

} // namespace varnox::ui
