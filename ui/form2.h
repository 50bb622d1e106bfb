#pragma once
// The converter window: source and target blocks of drive, folder and file lists, the
// direction, and the two conversions behind "Convert"; "unpack" opens the unpacker window.

#include "formats/module1.h"
#include "ui/messages.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace varnox::ui {

class DirListBox;
class DriveListBox;
class FileListBox;
class Form1;

class Form2 : public QWidget {
    Q_OBJECT
  public:
    // module holds the records shared with the unpacker window; all lists start on programFolder.
    Form2(Module1& module, const QString& programFolder, QWidget* parent = nullptr);
    ~Form2() override;

    static QString Caption();

    // The controls, by their design names; arrays are indexed 0 source, 1 target.
    std::array<FileListBox*, 2> File1{};
    std::array<DirListBox*, 2> Dir1{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<DriveListBox*, 2> Drive1{};
    QPushButton* btnconvert = nullptr;
    std::array<QRadioButton*, 2> opgra{};
    QLabel* lblinfo = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* chkuncom = nullptr;
    QCheckBox* chkunpackall = nullptr;

    void Form_Load();
    void opgra_Click(int Index);
    void Drive1_Change(int Index);
    void Dir1_Change(int Index);
    void File1_Click(int Index);
    void Command1_Click();
    void btnconvert_Click();

    // The unpacker window while it is open; null before the first "unpack" and after a close.
    Form1* Unpacker() const;

    // Messages of this window and of the unpacker windows it opens go to sink when set.
    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    void ShowMessage(const QString& text);

  private:
    void ConvertGfpToTga();
    void ConvertTgaToGfp();
    QString SelectedPath(int index) const;

    Module1& module_;
    QString programFolder_;
    MessageSink sink_;
    QPointer<Form1> unpacker_;
    std::array<bool, 2> puttingBack_{};
};

} // namespace varnox::ui
