#include "ui/itemtable.h"

#include "ui/jobrunner.h"
#include "ui/messages.h"

#include <algorithm>

namespace varnox::ui {

QString Grouped(std::int64_t value)
{
    QString digits = QString::number(value);
    for (auto at = digits.size() - 3; at > (value < 0 ? 1 : 0); at -= 3)
        digits.insert(at, u' ');
    return digits;
}

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

void ItemTable::Reset(ItemRows rows)
{
    beginResetModel();
    std::swap(rows_, rows);
    endResetModel();
    DisposeOffThread(std::move(rows));
}

int ItemTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.names.size());
}

int ItemTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

Qt::ItemFlags ItemTable::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

QVariant ItemTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool number = index.column() != kName && index.column() != kType;
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(number ? Qt::AlignRight | Qt::AlignVCenter
                                          : Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant ItemTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    const std::array<QString, kColumns> kHeads{QStringLiteral("#"), Varnox::tr("Name"), Varnox::tr("Typ"),
                                               Varnox::tr("Offset"), Varnox::tr("Größe")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return kHeads[static_cast<std::size_t>(section)];
}

QString ItemTable::Text(int row, int column) const
{
    const auto at = static_cast<std::size_t>(row);
    switch (column) {
    case kNumber: return QStringLiteral("#%1").arg(row);
    case kName: return rows_.names[at];
    case kType: return ItemTypeText(rows_.types[at]);
    case kOffset: return QString::number(rows_.offsets[at]);
    default: return QString::number(rows_.sizes[at]);
    }
}

bool ItemTable::Matches(int row, const QString& text, int type) const
{
    const auto at = static_cast<std::size_t>(row);
    const std::int32_t own = rows_.types[at];
    const bool named = std::find(kNamedTypes.begin(), kNamedTypes.end(), own) != kNamedTypes.end();
    if (type == kOtherTypes ? named : type != kAllTypes && type != own)
        return false;
    return text.isEmpty() || Text(row, kNumber).contains(text, Qt::CaseInsensitive) ||
           rows_.names[at].contains(text, Qt::CaseInsensitive);
}

bool ItemTable::Less(int left, int right, int column) const
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

ItemFilter::ItemFilter(ItemTable* table, QObject* parent) : QSortFilterProxyModel(parent), table_(table)
{
    setSourceModel(table);
}

void ItemFilter::SetText(const QString& text, int type)
{
    text_ = text;
    type_ = type;
    invalidateRowsFilter();
}

bool ItemFilter::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    return (text_.isEmpty() && type_ == kAllTypes) || parent.isValid() || table_->Matches(row, text_, type_);
}

bool ItemFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // Equal keys keep the archive's order.
    const int column = left.column();
    if (table_->Less(left.row(), right.row(), column))
        return true;
    return !table_->Less(right.row(), left.row(), column) && left.row() < right.row();
}

} // namespace varnox::ui
