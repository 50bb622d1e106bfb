#pragma once
// The report box: a read-only list of text lines of which only the rows in sight are laid out,
// so a report of 100,000 lines is shown at once. Lines are selected as a whole; Ctrl+C copies
// the selected lines.

#include <QListView>
#include <functional>
#include <string>
#include <vector>

namespace varnox::ui {

class ReportLines;
class ReportLineDelegate;

// Line i of the text shown (UTF-8, without line end; a tab indents), made when asked for.
using LineSource = std::function<std::string(std::size_t line)>;

class ReportView : public QListView {
    Q_OBJECT
  public:
    explicit ReportView(QWidget* parent = nullptr);

    // Shows lines in place of the text shown.
    void SetLines(std::vector<std::string> lines);
    // Shows count lines made by source; the widest lines are looked for among widthSamples.
    void SetLines(std::size_t count, LineSource source, const std::vector<std::size_t>& widthSamples);
    // The text with "\n" between its lines; setPlainText shows text split at its line ends.
    QString toPlainText() const;
    void setPlainText(const QString& text);
    void clear();
    int LineCount() const;
    // The line at the cursor, empty when there is none.
    QString CurrentLine() const;
    // Puts the cursor on line and scrolls it to the top.
    void ShowLine(int line);
    // The selected lines with "\n" between them, in the report's order.
    QString SelectedText() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    ReportLines* lines_;
    ReportLineDelegate* delegate_;
};

} // namespace varnox::ui
