#include "ui/form2.h"

#include "jobs/convert.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace varnox::ui {

namespace {

// Client area 6585 x 5010 twips.
constexpr int kWidthTwips = 6585;
constexpr int kHeightTwips = 5010;

QString What(const std::exception& error)
{
    return QString::fromStdString(error.what());
}

// Resets a flag when the scope ends, however it ends.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

// Puts the window's title back when the scope ends.
class TitleScope {
  public:
    explicit TitleScope(QWidget* window) : window_(window), title_(window->windowTitle()) {}
    ~TitleScope() { window_->setWindowTitle(title_); }
    TitleScope(const TitleScope&) = delete;
    TitleScope& operator=(const TitleScope&) = delete;

  private:
    QWidget* window_;
    QString title_;
};

} // namespace

QString Form2::Caption()
{
    return QStringLiteral("Varnox Convert  v0.1") + QString::fromUtf16(kCredit);
}

Form2::Form2(Module1& module, const QString& programFolder, QWidget* parent)
    : QWidget(parent), module_(module), programFolder_(programFolder)
{
    setWindowTitle(Caption());
    setFont(WindowFont());
    setFixedSize(Twips(0, 0, kWidthTwips, kHeightTwips).size());

    const auto place = [](QWidget* control, const char* name, QRect where) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(where);
        return control;
    };

    // In tab order.
    File1[0] = new FileListBox(this);
    place(File1[0], "File1_0", Twips(2040, 360, 4455, 1845));
    File1[0]->setPattern(QStringLiteral("*.tga"));
    Dir1[0] = new DirListBox(this);
    place(Dir1[0], "Dir1_0", Twips(0, 360, 1935, 1890));
    Label1 = new QLabel(QStringLiteral("Quelldatei: "), this);
    place(Label1, "Label1", Twips(0, 120, 1455, 255));
    Dir1[1] = new DirListBox(this);
    place(Dir1[1], "Dir1_1", Twips(0, 2640, 1935, 1890));
    File1[1] = new FileListBox(this);
    place(File1[1], "File1_1", Twips(2040, 2640, 4455, 1845));
    File1[1]->setPattern(QStringLiteral("*.gfp"));
    Label2 = new QLabel(QStringLiteral("Zieldatei:"), this);
    place(Label2, "Label2", Twips(0, 2400, 1935, 255));
    Drive1[0] = new DriveListBox(this);
    place(Drive1[0], "Drive1_0", Twips(2040, 0, 4455, 315));
    Drive1[1] = new DriveListBox(this);
    place(Drive1[1], "Drive1_1", Twips(2040, 2280, 4455, 315));
    btnconvert = new QPushButton(QStringLiteral("Convert"), this);
    place(btnconvert, "btnconvert", Twips(2040, 4560, 1335, 375));
    opgra[0] = new QRadioButton(QStringLiteral("tga->gfp"), this);
    place(opgra[0], "opgra_0", Twips(0, 4680, 975, 255));
    opgra[1] = new QRadioButton(QStringLiteral("gfp->tga"), this);
    place(opgra[1], "opgra_1", Twips(960, 4680, 975, 255));
    lblinfo = new QLabel(this);
    place(lblinfo, "lblinfo", Twips(5400, 4800, 1095, 255));
    Command1 = new QPushButton(QStringLiteral("unpack"), this);
    place(Command1, "Command1", Twips(1200, 0, 735, 315));
    chkuncom = new QCheckBox(QStringLiteral("unkomprimiert"), this);
    place(chkuncom, "chkuncom", Twips(3480, 4560, 1455, 375));
    chkunpackall = new QCheckBox(QStringLiteral("convert all"), this);
    place(chkunpackall, "chkunpackall", Twips(5040, 4560, 1455, 375));
    chkunpackall->setEnabled(false);

    QWidget* const tabOrder[] = {File1[0],   Dir1[0],  Dir1[1],  File1[1], Drive1[0], Drive1[1],
                                 btnconvert, opgra[0], opgra[1], Command1, chkuncom,  chkunpackall};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    btnconvert->setAutoDefault(false);
    Command1->setAutoDefault(false);
    File1[0]->setFocus();

    for (int i = 0; i < 2; ++i) {
        connect(Drive1[i], &DriveListBox::Change, this, [this, i] { Drive1_Change(i); });
        connect(Dir1[i], &DirListBox::Change, this, [this, i] { Dir1_Change(i); });
        connect(Dir1[i], &DirListBox::ListFailed, this, &Form2::ShowMessage);
        connect(File1[i], &FileListBox::Click, this, [this, i] { File1_Click(i); });
        connect(opgra[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                opgra_Click(i);
        });
    }
    connect(btnconvert, &QPushButton::clicked, this, &Form2::btnconvert_Click);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

Form2::~Form2()
{
    // The unpacker window has no owner; it goes with the run.
    delete unpacker_.data();
}

void Form2::ShowMessage(const QString& text)
{
    ShowMessageBox(this, sink_, text);
}

void Form2::Form_Load()
{
    try {
        for (int i = 0; i < 2; ++i) {
            File1[i]->setPath(programFolder_);
            Dir1[i]->setPath(programFolder_);
        }
        opgra[0]->setChecked(true);
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::opgra_Click(int Index)
{
    try {
        if (Index == 0) {
            File1[1]->setEnabled(true);
            File1[0]->setPattern(QStringLiteral("*.tga"));
            File1[1]->setPattern(QStringLiteral("*.gfp"));
            chkunpackall->setEnabled(false);
        } else if (Index == 1) {
            File1[1]->setEnabled(false);
            File1[1]->setPattern(QStringLiteral("*.tga"));
            File1[0]->setPattern(QStringLiteral("*.gfp"));
            chkunpackall->setEnabled(true);
        }
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::Drive1_Change(int Index)
{
    const auto i = static_cast<std::size_t>(Index);
    try {
        const QString drive = Drive1[i]->drive();
        // A bare drive means its current folder: where the folder list is when it is on that drive.
        const QString current = Dir1[i]->path();
        const QString folder = Drive1[i]->DriveOf(current) == drive ? current : drive;
        try {
            Dir1[i]->setPath(folder);
        } catch (const ListError&) {
            // The drive cannot be listed: silently back to the drive of the folder still shown.
            // A second failure while putting it back is told.
            if (puttingBack_[i])
                throw;
            const FlagScope puttingBack(puttingBack_[i]);
            const QString back = Drive1[i]->DriveOf(current);
            if (back.isEmpty())
                throw;
            Drive1[i]->setDrive(back);
        }
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::Dir1_Change(int Index)
{
    const auto i = static_cast<std::size_t>(Index);
    try {
        File1[i]->setPath(Dir1[i]->path());
    } catch (const std::exception& error) {
        ShowMessage(What(error));
    }
}

void Form2::File1_Click(int) {}

Form1* Form2::Unpacker() const
{
    return unpacker_ && !unpacker_->IsClosing() ? unpacker_.data() : nullptr;
}

void Form2::Command1_Click()
{
    try {
        // A closed window may still be finishing its unpack; the next one is made afresh.
        if (Unpacker() == nullptr) {
            unpacker_ = new Form1(module_, programFolder_);
            unpacker_->setMessageSink(sink_);
            unpacker_->Form_Load();
        }
        unpacker_->show();
        unpacker_->raise();
        unpacker_->activateWindow();
    } catch (const std::exception& error) {
        ShowMessage(QStringLiteral("Das Entpack-Fenster kann nicht geöffnet werden: %1").arg(What(error)));
    }
}

QString Form2::SelectedPath(int index) const
{
    const FileListBox* list = File1[static_cast<std::size_t>(index)];
    return QDir::cleanPath(list->path() + u'/' + list->FileName());
}

void Form2::btnconvert_Click()
{
    try {
        if (opgra[0]->isChecked())
            ConvertTgaToGfp();
        else
            ConvertGfpToTga();
    } catch (const std::exception& error) {
        ShowMessage(
            QStringLiteral("Die Umwandlung ist fehlgeschlagen: %1: %2").arg(SelectedPath(0), What(error)));
    }
}

void Form2::ConvertGfpToTga()
{
    FileListBox* source = File1[0];
    const int selected = source->ListIndex();
    if (selected < 0) {
        ShowMessage(QStringLiteral("Bitte eine Quelldatei auswählen"));
        return;
    }
    const bool all = chkunpackall->checkState() != Qt::Unchecked;
    const int first = all ? 0 : selected;
    const int last = all ? source->ListCount() - 1 : selected;

    std::vector<std::string> names;
    for (const QString& name : source->FileNames())
        names.push_back(QFile::encodeName(name).toStdString());
    const jobs::GfpToTgaResult result = jobs::ConvertGfpToTga(
        module_, ToPath(source->path()), names, first, last, [source](int k) { source->setListIndex(k); });
    if (!result.refused.empty()) {
        QString text = QStringLiteral("Nicht umgewandelt:");
        for (const jobs::Refusal& refusal : result.refused)
            text += u'\n' + ToQString(jobs::MessageText(refusal));
        ShowMessage(text);
    }
}

void Form2::ConvertTgaToGfp()
{
    if (File1[1]->ListIndex() < 0 || File1[0]->ListIndex() < 0) {
        ShowMessage(QStringLiteral("Bitte eine Quell und Zieldatei auswählen"));
        return;
    }
    // The caption counts the rows the TGA reader builds and gets its title back at the end,
    // also when the conversion fails.
    const TitleScope titleBack(this);
    const auto stage = [this](jobs::TgaToGfpStage now) {
        lblinfo->setText(ToQString(jobs::StageText(now)));
        lblinfo->repaint();
    };
    const auto progress = [this](int row, bool done) {
        setWindowTitle(done ? Caption() : QString::number(row));
    };
    const jobs::TgaToGfpResult result =
        jobs::ConvertTgaToGfp(module_, ToPath(SelectedPath(0)), ToPath(SelectedPath(1)),
                              chkuncom->checkState() != Qt::Unchecked, stage, progress);
    if (!result.ok)
        ShowMessage(ToQString(jobs::MessageText(result.refusal)));
}

} // namespace varnox::ui
