// The unpacker window's item list: the rows of the archive shown, the filter, the selection
// with its preview or bytes, the context menu and the files dragged out.
#include "formats/describe.h"
#include "ui/form1.h"

#include "jobs/archive.h"
#include "jobs/edit.h"
#include "jobs/itembytes.h"
#include "jobs/items.h"
#include "jobs/sidepicture.h"
#include "ui/archivelisting.h"
#include "ui/editwatch.h"
#include "ui/folders.h"
#include "ui/itemtable.h"
#include "ui/jobrunner.h"
#include "ui/preview.h"
#include "ui/reportview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace varnox::ui {

namespace {

// How much of an item the byte view shows.
constexpr std::size_t kByteViewLimit = 64 * 1024;

} // namespace

// The item list: whole rows selected, columns of fitting widths, sorted by a header click.
void Form1::ShapeItemList()
{
    lstitems->setRootIsDecorated(false);
    lstitems->setUniformRowHeights(true);
    lstitems->setItemsExpandable(false);
    lstitems->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstitems->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstitems->header()->setStretchLastSection(false);
    lstitems->header()->setSectionResizeMode(kName, QHeaderView::Stretch);
    lstitems->setColumnWidth(kNumber, 50);
    lstitems->setColumnWidth(kType, 80);
    lstitems->setColumnWidth(kOffset, 70);
    lstitems->setColumnWidth(kSize, 70);
    // Sorted by a click on a header; until then in the archive's order.
    lstitems->setSortingEnabled(true);
    lstitems->header()->setSortIndicator(-1, Qt::AscendingOrder);
    filter_->sort(-1);
    lstitems->setContextMenuPolicy(Qt::CustomContextMenu);
}

// The item list's tool tip says what a drag out gives, as "Bilder auch als PNG" stands.
void Form1::ShowItemsTip()
{
    lstitems->setToolTip(chkpng->isChecked()
                             ? Varnox::tr("Die Einträge des Archivs; mehrere mit Strg oder Umschalt wählen. "
                                          "Hinausziehen gibt Bilder als PNG, andere Einträge als Dateien; "
                                          "ein Bild auf ein Bild ziehen ersetzt es")
                             : Varnox::tr("Die Einträge des Archivs; mehrere mit Strg oder Umschalt wählen. "
                                          "Hinausziehen gibt Bilder als GFP, andere Einträge als Dateien; "
                                          "ein Bild auf ein Bild ziehen ersetzt es"));
}

int Form1::ItemCount() const
{
    return table_->rowCount();
}

int Form1::ShownItemCount() const
{
    return filter_->rowCount();
}

// "120 von 32767"; nothing without an archive.
void Form1::ShowCount()
{
    lblcount->setText(model_ == nullptr
                          ? QString()
                          : Varnox::tr("%1 von %2").arg(filter_->rowCount()).arg(table_->rowCount()));
}

void Form1::txtfilter_Change()
{
    filter_->SetText(txtfilter->text().trimmed(), cbotype->currentData().toInt());
    ShowCount();
}

// The report and the items of listing, both made on the worker: here they are only handed
// to the text box and the list.
void Form1::ShowListing(const std::shared_ptr<ArchiveListing>& listing, int select)
{
    listing->report.records.resItems.reset(); // stored in the module already
    // The items first: the report box lays out the lines in sight only, later.
    ShowItems(listing->listed ? listing : nullptr, select);
    txtinfo->SetLines(
        ReportLineCount(*listing), [listing](std::size_t line) { return ReportLine(*listing, line); },
        listing->widestLines);
    if (listing->firstFailureLine >= 0)
        txtinfo->ShowLine(listing->firstFailureLine); // the lines of the items not written
}

// Fills the item list from listing (empties it for null) and selects item select, if any,
// without raising the selection change.
void Form1::ShowItems(const std::shared_ptr<ArchiveListing>& listing, int select)
{
    const QSignalBlocker blocker(lstitems->selectionModel());
    preview->Clear();
    if (listing == nullptr) {
        archive_.clear();
        DisposeOffThread(std::move(model_));
        model_ = nullptr;
        table_->Reset({});
        ApplyEnabled();
        return;
    }
    DisposeOffThread(std::exchange(model_, std::shared_ptr<const ArchiveModel>(listing, &listing->model)));
    table_->Reset(std::move(listing->rows));
    const QModelIndex shown = filter_->mapFromSource(table_->index(select, 0));
    if (select >= 0 && shown.isValid())
        lstitems->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    ShowCount();
    ApplyEnabled();
}

std::vector<std::size_t> Form1::SelectedItems() const
{
    std::vector<std::size_t> rows;
    if (model_ == nullptr)
        return rows;
    for (const QModelIndex& index : lstitems->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(filter_->mapToSource(index).row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

int Form1::SelectedItem() const
{
    const std::vector<std::size_t> rows = SelectedItems();
    return rows.size() == 1 ? static_cast<int>(rows.front()) : -1;
}

void Form1::lstitems_SelectionChanged()
{
    ApplyEnabled();
    txtbytes->hide();
    const int index = SelectedItem();
    if (index < 0) {
        preview->Clear();
        return;
    }
    const std::int32_t type = model_->items[static_cast<std::size_t>(index)].entry.itemDataType;
    if (type != kItemTypePicture) {
        const QString length = table_->data(table_->index(index, kSize), Qt::DisplayRole).toString();
        preview->ShowText(ItemKindText(type, length.toLongLong()));
        ShowItemBytes(index);
        return;
    }
    ShowItemPreview(index);
}

// The item's first bytes in the byte view over the preview.
void Form1::ShowItemBytes(int index)
{
    const Result<jobs::ItemBytes> read =
        jobs::ReadItemBytes(ToPath(archive_), *model_, static_cast<std::size_t>(index), kByteViewLimit);
    if (!read) {
        ShowStatus(lblinfo, ToQString(MessageText(read.error())));
        return;
    }
    const jobs::ItemBytes& item = *read;
    QString text = ToQString(jobs::HexDump(item.bytes));
    if (item.length > static_cast<std::int64_t>(item.bytes.size()))
        text += Varnox::tr("… die ersten %1 von %2 Bytes")
                    .arg(Grouped(static_cast<std::int64_t>(item.bytes.size())), Grouped(item.length));
    txtbytes->setPlainText(text);
    txtbytes->show();
}

QMenu* Form1::MakeItemMenu()
{
    auto* menu = new QMenu(lstitems);
    const int index = SelectedItem();
    const auto add = [menu](const QString& text, const char* name, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, menu, slot);
    };
    const bool idle = !runner_->IsBusy();
    add(Varnox::tr("&Vorschau"), "actpreview", idle && index >= 0, [this] {
        lstitems_SelectionChanged();
        (txtbytes->isVisible() ? static_cast<QWidget*>(txtbytes) : preview)->setFocus();
    });
    add(Varnox::tr("Bearbe&iten…"), "actedit", btnedit->isEnabled(), [this] { btnedit_Click(); });
    add(Varnox::tr("&Ersetzen…"), "actreplace", btnreplace->isEnabled(), [this] { btnreplace_Click(); });
    add(Varnox::tr("Als P&NG speichern…"), "actsavepng", btnreplace->isEnabled(), [this] { SaveItemPng(); });
    add(Varnox::tr("E&ntpacken…"), "actextract", btnextractsel->isEnabled(),
        [this] { btnextractsel_Click(); });
    return menu;
}

void Form1::SaveItemPng()
{
    const int index = SelectedItem();
    if (runner_->IsBusy() || index < 0 || !btnreplace->isEnabled())
        return;
    const QString caption = Varnox::tr("Als PNG speichern in");
    const QString start = QFileInfo(archive_).path();
    const QString folder = chooseFolder_ ? chooseFolder_(caption, start)
                                         : QFileDialog::getExistingDirectory(this, caption, start);
    if (folder.isEmpty())
        return;
    // Written first where nobody else writes, to learn its name and ask before one is replaced.
    QString failure;
    const std::optional<Path> scratch = MakePrivateFolder(failure);
    const auto item = static_cast<std::size_t>(index);
    if (!scratch) {
        ShowMessage(failure);
        return;
    }
    const Result<Path> probe = jobs::WriteItemFile(ToPath(archive_), *model_, item, *scratch);
    if (!probe) {
        ShowMessage(ToQString(MessageText(probe.error())));
        return;
    }
    const QString target = QDir(folder).filePath(ToQString(probe->filename()));
    if (QFileInfo::exists(target) &&
        AskQuestion(this, questions_,
                    Varnox::tr("Die Datei gibt es schon:\n%1\n\nSoll sie ersetzt werden?").arg(target),
                    false) != jobs::ReplaceAnswer::Yes)
        return;
    const Result<Path> written = jobs::WriteItemFile(ToPath(archive_), *model_, item, ToPath(folder));
    if (!written) {
        ShowMessage(ToQString(MessageText(written.error())));
        return;
    }
    ShowStatus(lblinfo, Varnox::tr("Gespeichert: %1").arg(QDir::toNativeSeparators(ToQString(*written))));
}

void Form1::ShowItemPreview(int index)
{
    jobs::ItemGfp item = jobs::ReadItemGfp(ToPath(archive_), *model_, static_cast<std::size_t>(index));
    if (!item.status.ok()) {
        preview->Clear();
        ShowStatus(lblinfo, ToQString(MessageText(item.status.error())));
        return;
    }
    preview->ShowGfp(std::move(item.gfp));
}

// The rows dragged out as files in a new private folder, removed when the program ends: the
// items as extract writes them (a picture as its GFP), or, with "Bilder auch als PNG", each
// picture as a PNG. Nothing when no file can be written (the reason goes to the status line).
QList<QUrl> Form1::DragFiles(const QModelIndexList& rows)
{
    QList<QUrl> files;
    if (model_ == nullptr || rows.isEmpty())
        return files;
    QString failure;
    const std::optional<Path> folder = MakePrivateFolder(failure);
    std::vector<std::size_t> items;
    for (const QModelIndex& row : rows)
        items.push_back(static_cast<std::size_t>(filter_->mapToSource(row).row()));
    std::sort(items.begin(), items.end());
    if (folder && chkpng->isChecked()) {
        for (const std::size_t index : items) {
            const Result<Path> file = jobs::WriteItemFile(ToPath(archive_), *model_, index, *folder);
            if (file)
                files.append(QUrl::fromLocalFile(ToQString(*file)));
            else
                failure = ToQString(MessageText(file.error()));
        }
    } else if (folder) {
        const jobs::ExtractResult result = jobs::ExtractArchive(ToPath(archive_), *folder, items);
        if (!result.status.ok())
            failure = ToQString(MessageText(result.status.error()));
        // The folder is new: what is in it is what the extract wrote.
        const QDir written(ToQString(*folder));
        for (const QString& name : written.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files.append(QUrl::fromLocalFile(written.filePath(name)));
    }
    if (!failure.isEmpty())
        ShowStatus(lblinfo, failure);
    return files;
}

} // namespace varnox::ui
