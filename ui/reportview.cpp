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

// How many of the longest lines are measured for the rows' width.
constexpr std::size_t kWidthSamples = 256;

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

    // Shows count lines of source; the old source is freed on a pooled thread.
    void Reset(std::size_t count, LineSource source)
    {
        beginResetModel();
        count_ = static_cast<int>(count);
        std::swap(source_, source);
        endResetModel();
        DisposeOffThread(std::move(source));
    }
    std::string Line(int row) const { return source_(static_cast<std::size_t>(row)); }
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : count_; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return ShownLine(Line(index.row()));
    }

  private:
    int count_ = 0;
    LineSource source_ = [](std::size_t) { return std::string(); };
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
    std::vector<std::size_t> samples;
    for (std::size_t i = 0; i < lines.size() && samples.size() < kWidthSamples; ++i)
        if (lines[i].size() * 4 >= longest * 3)
            samples.push_back(i);
    const std::size_t count = lines.size();
    auto held = std::make_shared<const std::vector<std::string>>(std::move(lines));
    SetLines(
        count, [held](std::size_t line) { return (*held)[line]; }, samples);
}

void ReportView::SetLines(std::size_t count, LineSource source, const std::vector<std::size_t>& widthSamples)
{
    int width = 0;
    for (const std::size_t line : widthSamples)
        if (line < count)
            width = std::max(width, fontMetrics().horizontalAdvance(ShownLine(source(line))));
    delegate_->width = width + 2 * fontMetrics().averageCharWidth();
    lines_->Reset(count, std::move(source));
}

QString ReportView::toPlainText() const
{
    QStringList text;
    for (int row = 0; row < LineCount(); ++row)
        text.push_back(QString::fromUtf8(lines_->Line(row)));
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
    return current.isValid() ? QString::fromUtf8(lines_->Line(current.row())) : QString();
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
        text.push_back(QString::fromUtf8(lines_->Line(row)));
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
