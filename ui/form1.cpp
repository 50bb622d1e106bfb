#include "ui/form1.h"

#include "jobs/report.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/folders.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

namespace varnox::ui {

namespace {

// Client area 6915 x 4620 twips.
constexpr int kWidthTwips = 6915;
constexpr int kHeightTwips = 4620;

// Reports running in any unpacker window: a closed window may still be finishing its pass
// while a new one is open, and the two would share the archive records.
int reportsRunning = 0;

} // namespace

QString Form1::Caption()
{
    return QStringLiteral("Varnox unpack v0.1") + QString::fromUtf16(kCredit);
}

Form1::Form1(Module1& module, const QString& programFolder, QWidget* parent)
    : QWidget(parent), module_(module), programFolder_(programFolder)
{
    setWindowTitle(Caption());
    setFont(WindowFont());
    setFixedSize(Twips(0, 0, kWidthTwips, kHeightTwips).size());

    // In tab order.
    filFile = new FileListBox(this);
    filFile->setObjectName(QStringLiteral("filFile"));
    filFile->setPattern(QStringLiteral("*.res"));
    filFile->setGeometry(Twips(120, 2040, 2055, 2040));

    txtinfo = new QPlainTextEdit(this);
    txtinfo->setObjectName(QStringLiteral("txtinfo"));
    txtinfo->setGeometry(Twips(2280, 120, 4575, 4455));
    txtinfo->setReadOnly(true);
    txtinfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtinfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtinfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtinfo->setTabStopDistance(4 * txtinfo->fontMetrics().horizontalAdvance(u' '));

    Check1 = new QCheckBox(QStringLiteral("Automatic unpack"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(Twips(120, 4080, 2055, 375));

    Dir1 = new DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(Twips(120, 120, 1935, 1890));

    setTabOrder(filFile, txtinfo);
    setTabOrder(txtinfo, Check1);
    setTabOrder(Check1, Dir1);
    filFile->setFocus();

    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change);
    connect(Dir1, &DirListBox::ListFailed, this, &Form1::ShowMessage);
    connect(filFile, &FileListBox::Click, this, &Form1::filFile_Click);
}

void Form1::ShowMessage(const QString& text)
{
    ShowMessageBox(this, sink_, text);
}

void Form1::Form_Load()
{
    try {
        filFile->setPath(programFolder_);
        Dir1->setPath(programFolder_);
    } catch (const std::exception& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}

void Form1::Dir1_Change()
{
    try {
        filFile->setPath(Dir1->path());
    } catch (const std::exception& error) {
        ShowMessage(QString::fromStdString(error.what()));
    }
}

void Form1::filFile_Click()
{
    const QString folder = filFile->path();
    const QString name = filFile->FileName();
    if (busy_ || reportsRunning > 0 || name.isEmpty())
        return;

    // While the unpack lets events through, a second click or a change of folder would replace
    // the archive records under the running pass: both lists take no input until it ends.
    busy_ = true;
    ++reportsRunning;
    const bool listHadFocus = focusWidget() == filFile;
    Dir1->setEnabled(false);
    filFile->setEnabled(false);
    txtinfo->clear();
    try {
        const WaitCursor hourglass;
        jobs::ReportOptions options;
        options.extractWanted = [this] { return !closing_ && Check1->checkState() != Qt::Unchecked; };
        options.afterItemWritten = [] { QCoreApplication::processEvents(); };
        const jobs::ReportResult result =
            jobs::RunArchiveReport(module_, ToPath(folder), QFile::encodeName(name).toStdString(), options);
        txtinfo->setPlainText(ToQString(jobs::ReportText(result)));
    } catch (const std::exception& error) {
        ShowMessage(QStringLiteral("Das Archiv kann nicht ausgewertet werden: %1: %2")
                        .arg(QDir::cleanPath(folder + u'/' + name), QString::fromStdString(error.what())));
    }
    Dir1->setEnabled(true);
    filFile->setEnabled(true);
    if (listHadFocus)
        filFile->setFocus();
    busy_ = false;
    --reportsRunning;
    if (closing_)
        deleteLater();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A running unpack stops after its current item; the window goes once the click has ended.
    closing_ = true;
    event->accept();
    if (!busy_)
        deleteLater();
}

} // namespace varnox::ui
