#include "ui/reportview.h"

#include "ui/jobrunner.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace varnox::ui {

namespace {

// A line as shown: a tab as four spaces, the box's old tab stop.
QString ShownLine(const std::string& line)
{
    return QString::fromUtf8(line).replace(u'\t', QStringLiteral("    "));
}

} // namespace

// The lines of the report; a row's text is made when the view asks for it.
class ReportLines : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    // Shows lines; the old ones are freed on a pooled thread.
    void Reset(std::vector<std::string> lines)
    {
        beginResetModel();
        std::swap(lines_, lines);
        endResetModel();
        DisposeOffThread(std::move(lines));
    }
    const std::vector<std::string>& Lines() const { return lines_; }
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return ShownLine(lines_[static_cast<std::size_t>(index.row())]);
    }

  private:
    std::vector<std::string> lines_;
};

// Every row as wide as the widest line, so the view needs to measure one row only.
class ReportLineDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int width = 0;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {std::max(size.width(), width), size.height()};
    }
};

ReportView::ReportView(QWidget* parent)
    : QListView(parent), lines_(new ReportLines(this)), delegate_(new ReportLineDelegate(this))
{
    setModel(lines_);
    setItemDelegate(delegate_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void ReportView::SetLines(std::vector<std::string> lines)
{
    // The widest line is looked for among the longest ones only: a few measured, not all.
    std::size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    int width = 0;
    int measured = 0;
    for (const std::string& line : lines) {
        if (line.size() * 4 < longest * 3 || ++measured > 256)
            continue;
        width = std::max(width, fontMetrics().horizontalAdvance(ShownLine(line)));
    }
    delegate_->width = width + 2 * fontMetrics().averageCharWidth();
    lines_->Reset(std::move(lines));
}

QString ReportView::toPlainText() const
{
    QStringList text;
    for (const std::string& line : lines_->Lines())
        text.push_back(QString::fromUtf8(line));
    return text.join(u'\n');
}

void ReportView::setPlainText(const QString& text)
{
    std::vector<std::string> lines;
    for (const QString& line : text.split(u'\n'))
        lines.push_back(line.toStdString());
    SetLines(std::move(lines));
}

void ReportView::clear()
{
    SetLines({});
}

int ReportView::LineCount() const
{
    return lines_->rowCount({});
}

QString ReportView::CurrentLine() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? QString::fromUtf8(lines_->Lines()[static_cast<std::size_t>(current.row())])
                             : QString();
}

void ReportView::ShowLine(int line)
{
    const QModelIndex index = lines_->index(line, 0);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtTop);
}

QString ReportView::SelectedText() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList text;
    for (const int row : rows)
        text.push_back(QString::fromUtf8(lines_->Lines()[static_cast<std::size_t>(row)]));
    return text.join(u'\n');
}

void ReportView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(SelectedText());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace varnox::ui
