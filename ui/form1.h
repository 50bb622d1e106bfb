#pragma once
// The unpacker window: a folder list and a file list for RES archives, the report of the
// archive clicked last, and the automatic unpack of its picture items.

#include "formats/module1.h"
#include "ui/messages.h"

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;

namespace varnox::ui {

class DirListBox;
class FileListBox;

class Form1 : public QWidget {
    Q_OBJECT
  public:
    // module holds the records shared with the converter window; the lists start on programFolder.
    // Made with new: once closed, the window deletes itself.
    Form1(Module1& module, const QString& programFolder, QWidget* parent = nullptr);

    static QString Caption();

    // The controls, by their design names.
    FileListBox* filFile = nullptr;
    QPlainTextEdit* txtinfo = nullptr;
    QCheckBox* Check1 = nullptr;
    DirListBox* Dir1 = nullptr;

    void Form_Load();
    void Dir1_Change();
    void filFile_Click();

    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    void ShowMessage(const QString& text);

    // True while a click on an archive is being handled.
    bool IsBusy() const { return busy_; }
    // True once the window was closed; it deletes itself when its work is done.
    bool IsClosing() const { return closing_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Module1& module_;
    QString programFolder_;
    MessageSink sink_;
    bool busy_ = false;
    bool closing_ = false;
};

} // namespace varnox::ui
