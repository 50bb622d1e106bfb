#pragma once
// The unpacker's item list as a model: rows made off the window thread, a filter by text and
// type, and the sort by a column.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace varnox::ui {

enum ItemColumn { kNumber, kName, kType, kOffset, kSize, kColumns };

// The type combo's choices beside "alle" (kAllTypes); kOtherTypes keeps the types without a name.
constexpr int kAllTypes = -1;
constexpr int kOtherTypes = -2;
constexpr std::array<std::int32_t, 4> kNamedTypes{14, 16, 17, 40};

// "12 345": digits grouped by threes, for sizes in the preview's line.
QString Grouped(std::int64_t value);
// The type column's label: the report's type label ("Grafik(14)") in the user's language.
QString ItemTypeText(std::int32_t type);
// What the preview says of an item that is no picture: "Ton, 12 345 Bytes: keine Vorschau".
QString ItemKindText(std::int32_t type, std::int64_t length);

// The rows of the item list, made on the worker; the window only hands them to the view. The
// columns' texts are made when shown.
struct ItemRows {
    std::vector<QString> names;
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
    void Reset(ItemRows rows);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Rows are dragged out as files.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of row in column, as shown.
    QString Text(int row, int column) const;
    // True when the row's number or name holds text, in any case, and its type is type
    // (kAllTypes: any; kOtherTypes: one without a name).
    bool Matches(int row, const QString& text, int type) const;
    // True when row left comes before row right in column's order.
    bool Less(int left, int right, int column) const;

  private:
    ItemRows rows_;
};

// The rows of the item list that the filter field keeps.
class ItemFilter : public QSortFilterProxyModel {
  public:
    ItemFilter(ItemTable* table, QObject* parent);
    void SetText(const QString& text, int type);

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    ItemTable* table_;
    QString text_;
    int type_ = kAllTypes;
};

} // namespace varnox::ui
