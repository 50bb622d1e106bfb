#include "ui/form1.h"

#include "formats/res.h"
#include "formats/text.h"
#include "jobs/archive.h"
#include "jobs/edit.h"
#include "jobs/itembytes.h"
#include "jobs/report.h"
#include "jobs/restore.h"
#include "jobs/sidepicture.h"
#include "ui/dirlistbox.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/itemview.h"
#include "ui/jobrunner.h"
#include "ui/pathbox.h"
#include "ui/preview.h"
#include "ui/startup.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
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
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

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
    QString text = cancelled ? Varnox::tr("Abgebrochen: ") : QString();
    text += result.written == 1 ? Varnox::tr("1 Bild entpackt")
                                : Varnox::tr("%1 Bilder entpackt").arg(result.written);
    if (!result.failures.empty())
        text += Varnox::tr(", %1 nicht entpackt").arg(result.failures.size());
    return text;
}

enum ItemColumn { kNumber, kName, kType, kOffset, kSize, kColumns };

// The type combo's choices beside "alle" (kAllTypes); kOtherTypes keeps the types without a name.
constexpr int kAllTypes = -1;
constexpr int kOtherTypes = -2;
constexpr std::array<std::int32_t, 4> kNamedTypes{14, 16, 17, 40};

// How much of an item the byte view shows.
constexpr std::size_t kByteViewLimit = 64 * 1024;

// "12 345": digits grouped by threes, for sizes in the preview's line.
QString Grouped(std::int64_t value)
{
    QString digits = QString::number(value);
    for (auto at = digits.size() - 3; at > (value < 0 ? 1 : 0); at -= 3)
        digits.insert(at, u' ');
    return digits;
}

// The type column's label: the report's type label ("Grafik(14)") in the user's language.
QString ItemTypeText(std::int32_t type)
{
    QString name;
    switch (type) {
    case 14: name = Varnox::tr("Grafik"); break;
    case 16: name = Varnox::tr("Sound"); break;
    case 17: name = Varnox::tr("Schrift"); break;
    case 40: name = Varnox::tr("Sprite"); break;
    default: name = Varnox::tr("unbekannt"); break;
    }
    return QStringLiteral("%1(%2)").arg(name).arg(type);
}

// What the preview says of an item that is no picture: "Ton, 12 345 Bytes: keine Vorschau".
QString ItemKindText(std::int32_t type, std::int64_t length)
{
    QString kind;
    switch (type) {
    case 16: kind = Varnox::tr("Ton"); break;
    case 17: kind = Varnox::tr("Schrift"); break;
    case 40: kind = Varnox::tr("Sprite"); break;
    default: kind = Varnox::tr("Eintrag vom Typ %1").arg(type); break;
    }
    return Varnox::tr("%1, %2 Bytes: keine Vorschau").arg(kind, Grouped(length));
}

// A folder dialog that takes the folder it proposes although it does not exist yet: the
// extract makes it.
class ProposingFolderDialog : public QFileDialog {
  public:
    ProposingFolderDialog(QWidget* parent, const QString& caption, const QString& proposed)
        : QFileDialog(parent, caption, QFileInfo(proposed).path()), proposed_(proposed)
    {
        setFileMode(QFileDialog::Directory);
        setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        setLabelText(QFileDialog::Accept, Varnox::tr("Entpacken"));
        selectFile(QFileInfo(proposed).fileName());
        // The file dialog greys its button for a folder that does not exist; for the proposed
        // one it stays usable, as Enter is.
        if (auto* buttons = findChild<QDialogButtonBox*>(); buttons != nullptr)
            for (QAbstractButton* button : buttons->buttons())
                if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    accept_ = button;
        enable_->setSingleShot(true);
        connect(enable_, &QTimer::timeout, this, &ProposingFolderDialog::EnableForProposed);
        if (accept_ != nullptr) {
            accept_->installEventFilter(this);
            if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); name != nullptr)
                connect(name, &QLineEdit::textChanged, this, &ProposingFolderDialog::EnableForProposed);
            EnableForProposed();
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == accept_ && event->type() == QEvent::EnabledChange && !accept_->isEnabled())
            enable_->start(0);
        return QFileDialog::eventFilter(watched, event);
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && CleanFolder(chosen.front()) == CleanFolder(proposed_) &&
            !QFileInfo::exists(proposed_)) {
            // The proposed folder is made by the extract: skip the file dialog's check that
            // it exists.
            QDialog::accept(); // NOLINT(bugprone-parent-virtual-call)
            return;
        }
        QFileDialog::accept();
    }

  private:
    void EnableForProposed()
    {
        const QStringList chosen = selectedFiles();
        if (accept_ != nullptr && chosen.size() == 1 && CleanFolder(chosen.front()) == CleanFolder(proposed_))
            accept_->setEnabled(true);
    }

    QString proposed_;
    QAbstractButton* accept_ = nullptr;
    QTimer* enable_ = new QTimer(this); // enables the button again once the dialog has greyed it
};

} // namespace

// The rows of the item list, made on the worker; the window only hands them to the view.
struct ItemRows {
    std::vector<std::array<QString, kColumns>> texts;
    std::vector<std::int32_t> types;
    std::vector<std::int64_t> offsets;
    std::vector<std::int64_t> sizes;
    std::vector<QString> foldedNames; // for the sort by name
};

// The item list's model over rows made off the window thread.
class ItemTable : public QAbstractTableModel {
  public:
    explicit ItemTable(QObject* parent) : QAbstractTableModel(parent) {}

    // Shows rows; the old ones are freed on a pooled thread.
    void Reset(ItemRows rows)
    {
        beginResetModel();
        std::swap(rows_, rows);
        endResetModel();
        DisposeOffThread(std::move(rows));
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.texts.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    // Rows are dragged out as files.
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return QAbstractTableModel::flags(index) |
               (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const bool number = index.column() != kName && index.column() != kType;
        if (role == Qt::DisplayRole)
            return rows_
                .texts[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(number ? Qt::AlignRight | Qt::AlignVCenter
                                              : Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        const std::array<QString, kColumns> kHeads{QStringLiteral("#"), Varnox::tr("Name"), Varnox::tr("Typ"),
                                                   Varnox::tr("Offset"), Varnox::tr("Größe")};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
            return QAbstractTableModel::headerData(section, orientation, role);
        return kHeads[static_cast<std::size_t>(section)];
    }

    // True when the row's number or name holds text, in any case, and its type is type
    // (kAllTypes: any; kOtherTypes: one without a name).
    bool Matches(int row, const QString& text, int type) const
    {
        const auto at = static_cast<std::size_t>(row);
        const auto& texts = rows_.texts[at];
        const std::int32_t own = rows_.types[at];
        const bool named = std::find(kNamedTypes.begin(), kNamedTypes.end(), own) != kNamedTypes.end();
        if (type == kOtherTypes ? named : type != kAllTypes && type != own)
            return false;
        return text.isEmpty() || texts[kNumber].contains(text, Qt::CaseInsensitive) ||
               texts[kName].contains(text, Qt::CaseInsensitive);
    }

    // True when row left comes before row right in column's order.
    bool Less(int left, int right, int column) const
    {
        const auto l = static_cast<std::size_t>(left);
        const auto r = static_cast<std::size_t>(right);
        switch (column) {
        case kName: return rows_.foldedNames[l] < rows_.foldedNames[r];
        case kType: return rows_.types[l] < rows_.types[r];
        case kOffset: return rows_.offsets[l] < rows_.offsets[r];
        case kSize: return rows_.sizes[l] < rows_.sizes[r];
        default: return left < right;
        }
    }

  private:
    ItemRows rows_;
};

// The rows of the item list that the filter field keeps.
class ItemFilter : public QSortFilterProxyModel {
  public:
    ItemFilter(ItemTable* table, QObject* parent) : QSortFilterProxyModel(parent), table_(table)
    {
        setSourceModel(table);
    }
    void SetText(const QString& text, int type)
    {
        text_ = text;
        type_ = type;
        invalidateRowsFilter();
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        return (text_.isEmpty() && type_ == kAllTypes) || parent.isValid() ||
               table_->Matches(row, text_, type_);
    }
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        // Equal keys keep the archive's order.
        const int column = left.column();
        if (table_->Less(left.row(), right.row(), column))
            return true;
        return !table_->Less(right.row(), left.row(), column) && left.row() < right.row();
    }

  private:
    ItemTable* table_;
    QString text_;
    int type_ = kAllTypes;
};

// What a job on the worker found of an archive: its report, ready to be shown, and its items
// for the list. Everything in proportion to the item count is made here, off the window thread.
struct ArchiveListing {
    jobs::ReportResult report;
    QString failure; // the reason the report could not be made
    bool listed = false;
    ArchiveModel model;
    std::vector<std::int64_t> lengths;
    ItemRows rows;
    std::vector<std::string> lines; // the report
    int firstFailureLine = -1;      // the line "Nicht entpackt: …", if any

    // Reads the report (extracting while wanted says so) and the items of folder/file.
    void Read(const QString& folder, const QString& file, const jobs::ReportOptions& options)
    {
        try {
            const Path from = ToPath(folder);
            const std::string name = QFile::encodeName(file).toStdString();
            report = jobs::RunArchiveReport(from, name, options);
            if (Module1 items; report.valid && ReadArchive(items, from / name, model).ok()) {
                lengths = jobs::ItemDataLengths(from / name, model);
                listed = lengths.size() == model.items.size();
            }
            if (listed)
                MakeRows();
        } catch (const std::exception& error) {
            failure = QString::fromStdString(Translate(error.what()));
        }
    }

    // The report's lines for the report box, taken from report: its text ends in a line break
    // when the archive was read.
    void TakeLines()
    {
        // The report ends in that line and one line per failure.
        if (!report.failures.empty() && report.lines.size() > report.failures.size())
            firstFailureLine = static_cast<int>(report.lines.size() - report.failures.size() - 1);
        lines = std::move(report.lines);
        if (report.valid)
            lines.emplace_back();
    }

  private:
    void MakeRows()
    {
        rows.texts.reserve(model.items.size());
        rows.foldedNames.reserve(model.items.size());
        for (std::size_t i = 0; i < model.items.size(); ++i) {
            const ResItem& entry = model.items[i].entry;
            QString name = ToQString(Latin1ToUtf8(ItemName(entry)));
            rows.foldedNames.push_back(name.toCaseFolded());
            rows.texts.push_back({QStringLiteral("#%1").arg(i), std::move(name),
                                  ItemTypeText(entry.itemDataType), QString::number(entry.itemDataOffset),
                                  QString::number(lengths[i])});
            rows.types.push_back(entry.itemDataType);
            rows.offsets.push_back(entry.itemDataOffset);
            rows.sizes.push_back(lengths[i]);
        }
    }
};

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

void Form1::setConverter(std::function<void()> show)
{
    showConverter_ = std::move(show);
    btnconverter->setVisible(static_cast<bool>(showConverter_));
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
    try {
        CheckListable(folder);
        Dir1->setPath(folder);
    } catch (const ListError& error) {
        txtpath->setPath(Dir1->path());
        ShowMessage(QString::fromStdString(error.what()));
    }
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
    auto listing = std::make_shared<ArchiveListing>();
    reportJob_ = true;
    const bool started = runner_->Start(
        this,
        [listing, wanted = unpackWanted_, folder, name](jobs::JobProgress& progress) {
            jobs::ReportOptions options;
            options.extractWanted = [wanted] { return wanted->load(); };
            options.progress = &progress;
            listing->Read(folder, name, options);
            if (listing->failure.isEmpty())
                listing->TakeLines();
        },
        [this, listing, archive = QDir::cleanPath(folder + u'/' + name)] {
            jobs::StoreRecords(module_, listing->report.records);
            const bool cancelled = runner_->Progress()->Cancelled();
            reportJob_ = false;
            EndedJob();
            if (clickWaiting_ && !closing_) {
                // The file clicked meanwhile, once this job has ended.
                clickWaiting_ = false;
                clickLater_->start();
                return;
            }
            const jobs::ReportResult& result = listing->report;
            if (!listing->failure.isEmpty()) {
                ShowStatus(lblinfo, {});
                EndJobBar(prgjob, Varnox::tr("Fehlgeschlagen"), false);
                if (!closing_)
                    ShowMessage(Varnox::tr("Das Archiv kann nicht ausgewertet werden: %1: %2")
                                    .arg(archive, listing->failure));
            } else {
                ShowListing(listing);
                if (listing->listed)
                    archive_ = archive;
                if (!result.valid)
                    EndJobBar(prgjob, Varnox::tr("Kein Archiv"), false);
                else
                    ShowStatus(lblinfo, result.written > 0 || !result.failures.empty() || cancelled
                                            ? UnpackSummary(result, cancelled)
                                            : Varnox::tr("Fertig: %1").arg(QFileInfo(archive).fileName()));
            }
            RefreshLists();
            if (closing_)
                deleteLater();
        });
    if (started)
        StartedJob(true);
    else
        reportJob_ = false;
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

// The report and the items of listing, both made on the worker: here they are only handed
// to the text box and the list.
void Form1::ShowListing(const std::shared_ptr<ArchiveListing>& listing, int select)
{
    listing->report.records.resItems.reset(); // stored in the module already
    // The items first: the report box lays out the lines in sight only, later.
    ShowItems(listing->listed ? listing : nullptr, select);
    txtinfo->SetLines(std::move(listing->lines));
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
    if (!previewFile_.isEmpty())
        QFile::remove(previewFile_);
    previewFile_.clear();
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
    const jobs::ItemBytes item =
        jobs::ReadItemBytes(ToPath(archive_), *model_, static_cast<std::size_t>(index), kByteViewLimit);
    if (!item.ok) {
        ShowStatus(lblinfo, ToQString(jobs::MessageText(item.refusal)));
        return;
    }
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
    const jobs::ItemFile probe =
        scratch ? jobs::WriteItemFile(ToPath(archive_), *model_, item, *scratch) : jobs::ItemFile{};
    if (!probe.ok) {
        ShowMessage(failure.isEmpty() ? ToQString(jobs::MessageText(probe.refusal)) : failure);
        return;
    }
    const QString target = QDir(folder).filePath(ToQString(probe.file.filename()));
    if (QFileInfo::exists(target) &&
        AskQuestion(this, questions_,
                    Varnox::tr("Die Datei gibt es schon:\n%1\n\nSoll sie ersetzt werden?").arg(target),
                    false) != jobs::ReplaceAnswer::Yes)
        return;
    const jobs::ItemFile written = jobs::WriteItemFile(ToPath(archive_), *model_, item, ToPath(folder));
    if (!written.ok) {
        ShowMessage(ToQString(jobs::MessageText(written.refusal)));
        return;
    }
    ShowStatus(lblinfo, Varnox::tr("Gespeichert: %1").arg(QDir::toNativeSeparators(ToQString(written.file))));
}

void Form1::ShowItemPreview(int index)
{
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
        ShowStatus(lblinfo, Varnox::tr("Die Vorschau kann nicht geschrieben werden: %1").arg(reason));
        return;
    }
    file.close();
    previewFile_ = file.fileName();
    preview->Show(previewFile_);
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
    auto result = std::make_shared<jobs::ExtractResult>();
    const bool started = runner_->Start(
        this,
        [this, result, archive = ToPath(archive_), to = ToPath(folder), only,
         pictures = chkpng->isChecked() ? jobs::SidePicture::Png
                                        : jobs::SidePicture::None](jobs::JobProgress& progress) {
            // As the conversions do: a file of other content is replaced only when the user says so.
            const jobs::ReplaceQuestion ask = [this](const Path& target) {
                return runner_->Ask([this, target] {
                    return AskQuestion(
                        this, questions_,
                        Varnox::tr(
                            "Die Datei gibt es schon, mit anderem Inhalt:\n%1\n\nSoll sie ersetzt werden?")
                            .arg(ToQString(target)),
                        true);
                });
            };
            try {
                *result = jobs::ExtractArchive(archive, to, only, ask, pictures, jobs::EditedFiles::Refuse,
                                               &progress);
                // Pictures the user edited since they were extracted are replaced only when
                // the user says so; the refusal wrote nothing, so the extract runs again.
                if (!result->ok && !result->edited.empty() && runner_->Ask([this, edited = result->edited] {
                        return AskEditedPictures(edited);
                    }) == jobs::ReplaceAnswer::Yes)
                    *result = jobs::ExtractArchive(archive, to, only, ask, pictures,
                                                   jobs::EditedFiles::Replace, &progress);
            } catch (const std::exception& error) {
                result->ok = false;
                result->refusal = {PathText(archive), Translate(error.what())};
            }
        },
        [this, result, folder] {
            jobs::StoreRecords(module_, result->records);
            const QString written = result->written == 1
                                        ? Varnox::tr("1 Eintrag entpackt")
                                        : Varnox::tr("%1 Einträge entpackt").arg(result->written);
            const QString replaced = result->replaced.empty()
                                         ? QString()
                                         : Varnox::tr(", %1 ersetzt").arg(result->replaced.size());
            ShowFolderJobEnd(
                result->ok, result->refusal,
                Varnox::tr("%1 nach %2%3, %4")
                    .arg(written, QDir::toNativeSeparators(folder), replaced, ToQString(result->status)));
        });
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
    auto result = std::make_shared<jobs::PackResult>();
    const bool started = runner_->Start(
        this,
        [result, from = ToPath(folder), to = ToPath(archive)](jobs::JobProgress& progress) {
            try {
                *result = jobs::PackArchive(from, to, GfpPacking::Zlib, &progress);
            } catch (const std::exception& error) {
                result->ok = false;
                result->refusal = {PathText(to), Translate(error.what())};
            }
        },
        [this, result, archive] {
            if (result->cancelled) {
                ShowFolderJobEnd(true, {},
                                 Varnox::tr("Packen abgebrochen; %1 bleibt, wie es war")
                                     .arg(QDir::toNativeSeparators(archive)));
                return;
            }
            ShowFolderJobEnd(result->ok, result->refusal,
                             Varnox::tr("%1 Einträge nach %2 gepackt")
                                 .arg(result->items)
                                 .arg(QDir::toNativeSeparators(archive)));
        });
    // Cancelled, a pack drops its new archive; the old one stays as it was.
    if (started)
        StartedJob(true);
}

// The end of an extract or a pack: done's text in the status line, or the refusal.
void Form1::ShowFolderJobEnd(bool ok, const jobs::Refusal& refusal, const QString& done)
{
    EndedJob();
    if (ok) {
        ShowStatus(lblinfo, done);
    } else {
        ShowStatus(lblinfo, {});
        EndJobBar(prgjob, Varnox::tr("Abgelehnt"), false);
        if (!closing_)
            ShowMessage(ToQString(jobs::MessageText(refusal)));
    }
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

// "Ersetzen?" for item by picture, with both sizes when they differ.
jobs::ReplaceAnswer Form1::AskEditedPictures(const std::vector<std::string>& edited)
{
    constexpr std::size_t kNamed = 5;
    QStringList names;
    for (std::size_t i = 0; i < edited.size() && i < kNamed; ++i)
        names << ToQString(Path(edited[i]).filename());
    if (edited.size() > kNamed)
        names << QStringLiteral("…");
    return AskQuestion(
        this, questions_,
        Varnox::tr("%1 Bilder wurden seit dem Entpacken bearbeitet:\n%2\n\nSollen sie durch die "
                   "Bilder des Archivs ersetzt werden?")
            .arg(edited.size())
            .arg(names.join(u'\n')),
        false);
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
    auto replaced = std::make_shared<jobs::ReplaceResult>();
    auto listing = std::make_shared<ArchiveListing>();
    const QFileInfo archive(archive_);
    const bool started = runner_->Start(
        this,
        [replaced, listing, folder = archive.path(), file = archive.fileName(), index,
         from = ToPath(picture)](jobs::JobProgress& progress) {
            try {
                *replaced = jobs::ReplaceItem(ToPath(folder + u'/' + file), "#" + std::to_string(index), from,
                                              GfpPacking::Zlib);
            } catch (const std::exception& error) {
                replaced->ok = false;
                replaced->refusal = {PathText(from), Translate(error.what())};
            }
            if (!replaced->ok)
                return;
            jobs::ReportOptions options; // a fresh report, without unpacking
            options.progress = &progress;
            listing->Read(folder, file, options);
            if (listing->failure.isEmpty())
                listing->TakeLines();
        },
        [this, replaced, listing, index, name, path = archive_] {
            jobs::StoreRecords(module_, replaced->records);
            jobs::StoreRecords(module_, listing->report.records);
            EndedJob();
            if (!replaced->ok) {
                ShowStatus(lblinfo, {});
                if (!closing_)
                    ShowMessage(ToQString(jobs::MessageText(replaced->refusal)));
            } else {
                ShowListing(listing, index);
                if (listing->listed)
                    archive_ = path;
                lstitems_SelectionChanged();
                ShowStatus(lblinfo, Varnox::tr("Fertig: #%1 %2 ersetzt").arg(index).arg(name));
            }
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
    auto result = std::make_shared<jobs::RestoreResult>();
    const bool started = runner_->Start(
        this, [result, file = ToPath(archive)](jobs::JobProgress&) { *result = jobs::RestoreBackup(file); },
        [this, result, archive] {
            EndedJob();
            const QString name = QFileInfo(archive).fileName();
            if (!result->ok) {
                EndJobBar(prgjob, Varnox::tr("Abgelehnt"), false);
                if (!closing_)
                    ShowMessage(ToQString(jobs::MessageText(result->refusal)));
            }
            RefreshLists();
            if (closing_) {
                deleteLater();
                return;
            }
            // The archive shown is read again: it is another file now.
            if (result->ok && filFile->FileName() == name)
                clickLater_->start();
            if (result->ok)
                ShowStatus(
                    lblinfo,
                    Varnox::tr("Wiederhergestellt: %1 (die vorige Fassung ist jetzt %1.bak)").arg(name));
        });
    if (started)
        StartedJob(false);
}

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
    auto start = std::make_shared<jobs::EditStart>();
    const bool started = runner_->Start(
        this,
        [start, archive = ToPath(archive_), index, to = *folder](jobs::JobProgress&) {
            try {
                *start = jobs::StartItemEdit(archive, "#" + std::to_string(index), to);
            } catch (const std::exception& error) {
                start->ok = false;
                start->refusal = {PathText(archive), Translate(error.what())};
            }
        },
        [this, start] {
            jobs::StoreRecords(module_, start->records);
            EndedJob();
            if (closing_) {
                deleteLater();
                return;
            }
            if (!start->ok) {
                ShowMessage(ToQString(jobs::MessageText(start->refusal)));
                return;
            }
            const QString png = ToQString(start->session.png);
            if (QString reason; !StartEditor(png, reason)) {
                ShowMessage(reason);
                return;
            }
            edits_->Watch(start->session);
            ShowStatus(lblinfo, Varnox::tr("Im Bildbearbeiter: %1").arg(QDir::toNativeSeparators(png)));
        });
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

namespace {

// What taking back one save came to.
struct EditOutcome {
    jobs::EditCheck check;
    bool asked = false;
    bool always = false;
    jobs::EditResult result;
};

// "Änderung an #3 verlauf in demo.res übernehmen?", and the new size when it differs.
QString EditQuestion(const jobs::EditSession& session, const jobs::EditCheck& check)
{
    QString text = Varnox::tr("Änderung an #%1 %2 in %3 übernehmen?")
                       .arg(session.index)
                       .arg(ToQString(session.itemName), ToQString(session.source.filename()));
    if (check.SizeChanged())
        text += Varnox::tr("\n\nDas Bild ist jetzt %1 \u00d7 %2 groß, bisher %3 \u00d7 %4.")
                    .arg(check.newWidth)
                    .arg(check.newHeight)
                    .arg(check.oldWidth)
                    .arg(check.oldHeight);
    return text;
}

} // namespace

// Compares the saved PNG with the item on the worker and, once asked (unless the user said
// "Immer für dieses Bild"), puts it into the item; the window then shows the archive anew.
void Form1::TakeBackEdit(const QString& png)
{
    const std::optional<jobs::EditSession> session = edits_->Session(png);
    if (!session || runner_->IsBusy())
        return;
    auto outcome = std::make_shared<EditOutcome>();
    auto listing = std::make_shared<ArchiveListing>();
    const QFileInfo archive(ToQString(session->source));
    const bool started = runner_->Start(
        this,
        [this, outcome, listing, session = *session, always = edits_->Always(png), folder = archive.path(),
         file = archive.fileName()](jobs::JobProgress& progress) mutable {
            outcome->check = jobs::CheckEdit(session);
            if (outcome->check.state != jobs::EditState::Changed || !outcome->check.refusal.reason.empty())
                return;
            if (!always) {
                const QString text = EditQuestion(session, outcome->check);
                const jobs::ReplaceAnswer answer =
                    runner_->Ask([this, text] { return AskEditQuestion(this, questions_, text); });
                outcome->asked = true;
                if (answer != jobs::ReplaceAnswer::Yes && answer != jobs::ReplaceAnswer::YesToAll)
                    return;
                outcome->always = answer == jobs::ReplaceAnswer::YesToAll;
            }
            outcome->result = jobs::ApplyEdit(session, GfpPacking::Zlib);
            if (!outcome->result.ok)
                return;
            jobs::ReportOptions options;
            options.progress = &progress;
            listing->Read(folder, file, options);
            if (listing->failure.isEmpty())
                listing->TakeLines();
        },
        [this, outcome, listing, png, index = session->index, source = archive.absoluteFilePath()] {
            jobs::StoreRecords(module_, outcome->result.records);
            jobs::StoreRecords(module_, listing->report.records);
            EndedJob();
            if (closing_) {
                deleteLater();
                return;
            }
            if (outcome->result.ok)
                edits_->Update(outcome->result.session);
            if (outcome->always)
                edits_->SetAlways(png);
            const jobs::EditCheck& check = outcome->check;
            if (check.state == jobs::EditState::Unreadable || !check.refusal.reason.empty()) {
                ShowMessage(
                    Varnox::tr("%1\nNichts übernommen; das Bild bleibt in %2")
                        .arg(ToQString(jobs::MessageText(check.refusal)), QDir::toNativeSeparators(png)));
            } else if (check.state == jobs::EditState::Changed && !outcome->result.ok) {
                if (!outcome->result.refusal.reason.empty())
                    ShowMessage(ToQString(jobs::MessageText(outcome->result.refusal)));
                ShowStatus(lblinfo, Varnox::tr("Nicht übernommen: #%1").arg(index));
            } else if (outcome->result.ok) {
                if (listing->listed && QDir::cleanPath(source) == archive_) {
                    ShowListing(listing, index);
                    lstitems_SelectionChanged();
                }
                ShowStatus(lblinfo, Varnox::tr("Fertig: Änderung an #%1 übernommen").arg(index));
            }
        });
    if (started)
        StartedJob(false);
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
            const jobs::ItemFile file = jobs::WriteItemFile(ToPath(archive_), *model_, index, *folder);
            if (file.ok)
                files.append(QUrl::fromLocalFile(ToQString(file.file)));
            else
                failure = ToQString(jobs::MessageText(file.refusal));
        }
    } else if (folder) {
        const jobs::ExtractResult result = jobs::ExtractArchive(ToPath(archive_), *folder, items);
        if (!result.ok)
            failure = ToQString(jobs::MessageText(result.refusal));
        // The folder is new: what is in it is what the extract wrote.
        const QDir written(ToQString(*folder));
        for (const QString& name : written.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files.append(QUrl::fromLocalFile(written.filePath(name)));
    }
    if (!failure.isEmpty())
        ShowStatus(lblinfo, failure);
    return files;
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

// The one local ".res" file data names, else empty.
static QString DroppedArchive(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile())
        return {};
    const QString path = data->urls().front().toLocalFile();
    return QFileInfo(path).suffix().toLower() == QStringLiteral("res") ? path : QString();
}

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
