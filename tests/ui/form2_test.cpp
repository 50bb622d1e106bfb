// The converter window: start state, modes, drive lists, the unpacker window, "Convert".

#include "jobs/convert.h"
#include "tests/support/tga_builder.h"
#include "tests/ui/ui_support.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/jobrunner.h"
#include "ui/preview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <memory>

using namespace varnox;
using test::Q;
using ui::Form2;

namespace {

// Records every title a window is given.
class TitleLog : public QObject {
  public:
    explicit TitleLog(QWidget* window) : window_(window) { window->installEventFilter(this); }
    QStringList titles;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::WindowTitleChange)
            titles.append(window_->windowTitle());
        return false;
    }

  private:
    QWidget* window_;
};

Bytes Gfp(std::int32_t width, std::int32_t height, std::uint8_t rawMark = 0)
{
    test::GfpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.rawMark = rawMark;
    spec.filler = 7;
    return test::MakeGfp(spec);
}

long FileCount(const Path& folder)
{
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<long>(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)));
}

int Visible(const QList<ui::Form1*>& windows)
{
    return static_cast<int>(
        std::count_if(windows.begin(), windows.end(), [](auto* w) { return w->isVisible(); }));
}

QList<ui::Form1*> UnpackerWindows()
{
    QList<ui::Form1*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<ui::Form1*>(widget))
            found.append(form);
    return found;
}

} // namespace

class Form2Test : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Module1> module_;
    std::unique_ptr<Form2> form_;
    test::Messages messages_;
    test::Questions questions_;

    Form2& Open()
    {
        module_ = std::make_unique<Module1>();
        form_ = std::make_unique<Form2>(*module_, Q(dir_->path()));
        form_->setMessageSink(messages_.Sink());
        form_->setQuestionSink(questions_.Sink());
        form_->Form_Load();
        return *form_;
    }

    // The status line's whole text, the test folder written as {dir}.
    QString Status(const Form2& form) const
    {
        return form.lblinfo->property("statusText").toString().replace(Q(dir_->path()), "{dir}");
    }

    // Clicks "Convert" and waits for the job to end.
    void Convert(Form2& form)
    {
        QTest::mouseClick(form.btnconvert, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
    }

    // "convert all" of a.gfp, b.gfp, c.gfp, d.gfp in sub, where a.tga and c.tga differ from
    // what would be written, b.tga is missing and d.tga holds it already; the snapshot of sub.
    std::map<std::string, Bytes> ThreeGfpsTwoOldTgas(Form2& form, bool all)
    {
        const Path folder = *dir_ / "sub";
        for (const char* name : {"a.gfp", "b.gfp", "c.gfp", "d.gfp"})
            test::WriteBytes(folder / name, Gfp(3, 2));
        Module1 other;
        (void)jobs::ConvertGfpFiles(test::PathsOf(folder, {"d.gfp"}, 0, 0));
        test::WriteBytes(folder / "a.tga", {'a'});
        test::WriteBytes(folder / "c.tga", {'c'});
        form.Dir1[0]->setPath(Q(folder));
        form.opgra[1]->setChecked(true);
        form.chkunpackall->setChecked(all);
        form.File1[0]->setListIndex(0);
        return test::Snapshot(folder);
    }

  private slots:
    void init()
    {
        dir_ = std::make_unique<test::TempDir>();
        messages_.texts.clear();
        questions_ = {};
        test::WriteBytes(*dir_ / "b.tga", test::PatternTga(3, 2));
        test::WriteBytes(*dir_ / "A.TGA", test::PatternTga(2, 2));
        test::WriteBytes(*dir_ / "pic.gfp", Gfp(4, 2));
        test::WriteBytes(*dir_ / "notes.txt", {'x'});
        test::MakeFolder(*dir_ / "sub");
    }

    void cleanup()
    {
        form_.reset();
        test::RunDeferredDeletes();
        dir_.reset();
    }

    void startState()
    {
        Form2& form = Open();
        QVERIFY(form.windowTitle().startsWith("Varnox Convert  v0.1"));
        QCOMPARE(form.size(), QSize(711, 367));
        QVERIFY(form.opgra[0]->isChecked());
        QVERIFY(!form.opgra[1]->isChecked() && !form.opgra[2]->isChecked());
        QCOMPARE(form.File1[0]->pattern(), QString("*.tga;*.png"));
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(form.Dir1[i]->path(), Q(dir_->path()));
            QCOMPARE(form.File1[i]->path(), Q(dir_->path()));
            QCOMPARE(form.File1[i]->ListIndex(), -1);
        }
        QCOMPARE(form.File1[0]->FileNames(), QStringList({"A.TGA", "b.tga"}));
        QCOMPARE(form.File1[1]->FileNames(), QStringList({"pic.gfp"}));
        QVERIFY(form.File1[1]->isEnabled());
        QVERIFY(!form.chkunpackall->isEnabled());
        QVERIFY(!form.chkunpackall->isChecked());
        QVERIFY(form.chkuncom->isEnabled());
        QVERIFY(!form.chkuncom->isChecked());
        QVERIFY(form.lblinfo->text().isEmpty());
        QVERIFY(!form.btncancel->isEnabled());
        QVERIFY(form.picpreview->Info().isEmpty());
        QCOMPARE(form.focusWidget(), form.File1[0]);
        QVERIFY(messages_.texts.isEmpty());
    }

    // No text field or combo box of either window is lower than its font needs.
    void fieldsAreTallEnoughForTheirFont()
    {
        Form2& form = Open();
        form.Command1_Click();
        QVERIFY(form.Unpacker() != nullptr);
        for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Unpacker())})
            for (QWidget* field : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (qobject_cast<QLineEdit*>(field) != nullptr || qobject_cast<QComboBox*>(field) != nullptr)
                    QVERIFY2(field->height() >= field->sizeHint().height(), qPrintable(field->objectName()));
    }

    void modeSwitchAndBack()
    {
        Form2& form = Open();
        QTest::mouseClick(form.opgra[1], Qt::LeftButton);
        QVERIFY(form.opgra[1]->isChecked() && !form.opgra[0]->isChecked());
        QCOMPARE(form.File1[0]->pattern(), QString("*.gfp"));
        QCOMPARE(form.File1[0]->FileNames(), QStringList({"pic.gfp"}));
        QCOMPARE(form.File1[1]->FileNames(), QStringList({"A.TGA", "b.tga"}));
        QVERIFY(!form.File1[1]->isEnabled());
        QVERIFY(form.chkunpackall->isEnabled());

        form.File1[0]->setListIndex(0);
        QTest::mouseClick(form.opgra[2], Qt::LeftButton);
        QCOMPARE(form.File1[1]->pattern(), QString("*.png"));
        QCOMPARE(form.File1[0]->ListIndex(), 0); // the same source pattern keeps the selection
        QVERIFY(!form.File1[1]->isEnabled());
        QVERIFY(form.chkunpackall->isEnabled());
        // A GFP is written beside itself: the target side and the packing are out of play.
        for (QWidget* target : std::initializer_list<QWidget*>{form.Drive1[1], form.Dir1[1], form.File1[1],
                                                               form.chkuncom, form.chkfast})
            QVERIFY(!target->isEnabled());

        form.chkunpackall->setChecked(true);
        form.chkuncom->setChecked(true);
        form.lblinfo->setText("alt");
        QTest::mouseClick(form.opgra[0], Qt::LeftButton);
        QVERIFY(form.lblinfo->text().isEmpty()); // a new mode clears the status
        QCOMPARE(form.File1[0]->FileNames(), QStringList({"A.TGA", "b.tga"}));
        QCOMPARE(form.File1[1]->FileNames(), QStringList({"pic.gfp"}));
        QVERIFY(form.File1[1]->isEnabled());
        QVERIFY(!form.chkunpackall->isEnabled());
        QVERIFY(form.chkunpackall->isChecked()); // keeps its tick while disabled
        QVERIFY(form.chkuncom->isEnabled() && form.chkuncom->isChecked());

        // The same mode again changes nothing, a selection included.
        form.File1[0]->setListIndex(1);
        form.opgra_Click(0);
        QCOMPARE(form.File1[0]->ListIndex(), 1);
        QVERIFY(messages_.texts.isEmpty());
    }

    void driveThatFailsIsPutBack()
    {
        Form2& form = Open();
        const QString gone = Q(*dir_ / "gone");
        for (int i = 0; i < 2; ++i)
            form.Drive1[i]->setDrives({"/", gone});
        form.Dir1[0]->OpenEntry(form.Dir1[0]->count() - 1); // into "sub"
        const QString before = form.Dir1[0]->path();

        form.Drive1[0]->setCurrentIndex(1);
        QCOMPARE(form.Drive1[0]->drive(), QString("/"));
        QCOMPARE(form.Dir1[0]->path(), before);
        QCOMPARE(form.File1[0]->path(), before);
        QVERIFY(messages_.texts.isEmpty()); // silently
        QCOMPARE(form.Dir1[1]->path(), Q(dir_->path()));
    }

    void blocksAreIndependent()
    {
        Form2& form = Open();
        const QString volume = Q(*dir_ / "sub");
        test::WriteBytes(*dir_ / "sub" / "x.tga", test::PatternTga(1, 1));
        for (int i = 0; i < 2; ++i)
            form.Drive1[i]->setDrives({"/", volume});

        form.Drive1[0]->setCurrentIndex(1);
        QCOMPARE(form.Dir1[0]->path(), volume);
        QCOMPARE(form.File1[0]->FileNames(), QStringList({"x.tga"}));
        QCOMPARE(form.Drive1[1]->drive(), QString("/"));
        QCOMPARE(form.Dir1[1]->path(), Q(dir_->path()));
        QCOMPARE(form.File1[1]->path(), Q(dir_->path()));

        form.Dir1[1]->setPath(volume);
        QCOMPARE(form.File1[1]->path(), volume);
        QCOMPARE(form.File1[1]->FileNames(), QStringList()); // no *.gfp there
        QCOMPARE(form.Drive1[0]->drive(), volume);
        QCOMPARE(form.Drive1[1]->drive(), QString("/")); // a folder change does not move the drive list
        QVERIFY(messages_.texts.isEmpty());
    }

    void unpackLeavesOneWindowAndReopensInStartState()
    {
        Form2& form = Open();
        test::WriteBytes(*dir_ / "a.res", test::MakeRes({{14, "pic", Gfp(2, 2)}}));
        form.Command1_Click();
        form.Command1_Click();
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QCOMPARE(Visible(UnpackerWindows()), 1);
        ui::Form1* first = form.Unpacker();
        QVERIFY(first != nullptr);
        QVERIFY(first->parentWidget() == nullptr);
        QCOMPARE(first->filFile->FileNames(), QStringList({"a.res"}));

        first->Check1->setChecked(true);
        first->Dir1->setPath(Q(*dir_ / "sub"));
        first->filFile->setPath(Q(*dir_ / "sub"));
        first->txtinfo->setPlainText("alt");
        QPointer<ui::Form1> closed(first);
        first->close();
        QVERIFY(form.Unpacker() == nullptr);
        test::RunDeferredDeletes();
        QVERIFY(closed.isNull());

        form.Command1_Click();
        ui::Form1* again = form.Unpacker();
        QVERIFY(again != nullptr && again->isVisible());
        QVERIFY(!again->Check1->isChecked());
        QVERIFY(again->txtinfo->toPlainText().isEmpty());
        QCOMPARE(again->Dir1->path(), Q(dir_->path()));
        QCOMPARE(again->filFile->FileNames(), QStringList({"a.res"}));
        QCOMPARE(Visible(UnpackerWindows()), 1);
    }

    void missingSelection_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("message");
        const QString both = "Bitte eine Quell- und Zieldatei auswählen";
        QTest::newRow("tga->gfp, nothing") << 0 << -1 << -1 << both;
        QTest::newRow("tga->gfp, source only") << 0 << 0 << -1 << both;
        QTest::newRow("tga->gfp, target only") << 0 << -1 << 0 << both;
        QTest::newRow("gfp->tga, nothing, convert all") << 1 << -1 << -1 << "Bitte eine Quelldatei auswählen";
    }

    void missingSelection()
    {
        QFETCH(int, mode);
        QFETCH(int, source);
        QFETCH(int, target);
        QFETCH(QString, message);
        Form2& form = Open();
        form.opgra[mode]->setChecked(true);
        form.chkunpackall->setChecked(true);
        form.lblinfo->setText("vorher");
        form.File1[0]->setListIndex(source);
        form.File1[1]->setListIndex(target);
        const auto count = FileCount(dir_->path());

        QTest::mouseClick(form.btnconvert, Qt::LeftButton);
        QCOMPARE(messages_.texts, QStringList({message}));
        QVERIFY(form.lblinfo->text().isEmpty()); // a refused job clears the status
        QVERIFY(!form.Runner().IsBusy());
        QCOMPARE(FileCount(dir_->path()), count);
    }

    void gfpToTgaThroughConvert_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("summary");
        QTest::newRow("selected only") << false << QStringList({"b.tga"}) << "Fertig: {dir}/sub/b.tga";
        QTest::newRow("convert all") << true << QStringList({"a.tga", "b.tga", "c.tga"})
                                     << "3 Dateien konvertiert";
    }

    void gfpToTgaThroughConvert()
    {
        QFETCH(bool, all);
        QFETCH(QStringList, written);
        QFETCH(QString, summary);
        const Path folder = *dir_ / "sub";
        for (const char* name : {"a.gfp", "b.gfp", "c.gfp"})
            test::WriteBytes(folder / name, Gfp(3, 2));
        Form2& form = Open();
        form.Dir1[0]->setPath(Q(folder));
        form.opgra[1]->setChecked(true);
        form.chkunpackall->setChecked(all);
        form.File1[0]->setListIndex(1);

        Convert(form);
        QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
        QCOMPARE(Status(form), summary);
        // The one file written is a link to its folder.
        QCOMPARE(form.lblinfo->text().contains("<a href=\"" + QUrl::fromLocalFile(Q(folder)).toString() +
                                               "\">b.tga</a>"),
                 !all);
        QCOMPARE(form.prgjob->value(), form.prgjob->maximum());
        for (const char* name : {"a.tga", "b.tga", "c.tga"}) {
            const Bytes tga = test::ReadBytes(folder / name);
            QCOMPARE(!tga.empty(), written.contains(name));
            if (!tga.empty())
                QCOMPARE(tga.size(), std::size_t{18 + 3 * 2 * 3});
        }
        QCOMPARE(form.File1[0]->ListIndex(), all ? 2 : 1);
        QCOMPARE(form.File1[0]->FileNames(), QStringList({"a.gfp", "b.gfp", "c.gfp"}));
    }

    void convertAllTellsRefusalsOnceAtTheEnd()
    {
        const Path folder = *dir_ / "sub";
        test::WriteBytes(folder / "a.gfp", Gfp(2, 2));
        test::WriteBytes(folder / "b.gfp", {'N', 'O', 'P', 'E'});
        test::WriteBytes(folder / "c.gfp", Gfp(2, 2));
        Form2& form = Open();
        form.Dir1[0]->setPath(Q(folder));
        form.opgra[1]->setChecked(true);
        form.chkunpackall->setChecked(true);
        form.File1[0]->setListIndex(0);

        Convert(form);
        QCOMPARE(form.lblinfo->text(), QString("2 Dateien konvertiert, 1 abgelehnt"));
        QCOMPARE(messages_.texts.size(), 1);
        QVERIFY(messages_.texts[0].contains(Q(folder / "b.gfp")));
        QVERIFY(!messages_.texts[0].contains("a.gfp"));
        QVERIFY(std::filesystem::exists(folder / "a.tga"));
        QVERIFY(!std::filesystem::exists(folder / "b.tga"));
        QVERIFY(std::filesystem::exists(folder / "c.tga"));
        QCOMPARE(form.File1[0]->ListIndex(), 2);
    }

    void tgaToGfpThroughConvert_data()
    {
        QTest::addColumn<bool>("uncompressed");
        QTest::newRow("compressed") << false;
        QTest::newRow("uncompressed") << true;
    }

    void tgaToGfpThroughConvert()
    {
        QFETCH(bool, uncompressed);
        const Bytes oldTarget = test::ReadBytes(*dir_ / "pic.gfp");
        Form2& form = Open();
        TitleLog log(&form);
        form.chkuncom->setChecked(uncompressed);
        form.File1[0]->setListIndex(1); // b.tga, 3 x 2
        form.File1[1]->setListIndex(0); // pic.gfp

        Convert(form);
        QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
        QCOMPARE(test::ReadBytes(*dir_ / "pic.gfp.bak"), oldTarget);
        QCOMPARE(form.lblinfo->text(), QString("Fertig: pic.gfp"));
        // The caption showed rows of the TGA, if any, and has its title back.
        for (const QString& title : log.titles.mid(0, log.titles.size() - 1))
            QVERIFY2(title == "1" || title == "2", qPrintable(title));
        QCOMPARE(form.windowTitle(), Form2::Caption());

        Module1 check;
        Bytes pixels;
        const GfpError error = CodeOf<GfpError>(check.ReadGfpPixels(*dir_ / "pic.gfp", pixels));
        QCOMPARE(error, GfpError::None);
        QCOMPARE(check.GfpPixelHeader.width(), 3);
        QCOMPARE(check.GfpPixelHeader.height(), 2);
        QCOMPARE(check.GfpPixelHeader.compression(), std::uint8_t(uncompressed ? 0 : 11));
        QCOMPARE(pixels.size(), std::size_t{12});
    }

    // "unkomprimiert" and "schnell packen" exclude each other; the GFP written is the one
    // the conversion with that packing writes.
    void packingCheckBoxes_data()
    {
        QTest::addColumn<bool>("fastFirst"); // ticked first, then the other, as given
        QTest::addColumn<bool>("fast");
        QTest::addColumn<bool>("uncompressed");
        QTest::addColumn<int>("packing");
        QTest::newRow("zlib") << false << false << false << int(GfpPacking::Zlib);
        QTest::newRow("schnell") << true << true << false << int(GfpPacking::Fast);
        QTest::newRow("schnell, then unkomprimiert") << true << true << true << int(GfpPacking::Uncompressed);
        QTest::newRow("unkomprimiert, then schnell") << false << true << true << int(GfpPacking::Fast);
    }

    void packingCheckBoxes()
    {
        QFETCH(bool, fastFirst);
        QFETCH(bool, fast);
        QFETCH(bool, uncompressed);
        QFETCH(int, packing);
        const Path other = *dir_ / "sub" / "pic.gfp";
        std::filesystem::copy_file(*dir_ / "pic.gfp", other);
        Module1 check;
        QVERIFY(jobs::ConvertPictureToGfp(*dir_ / "b.tga", jobs::PictureFormat::Tga, other,
                                          static_cast<GfpPacking>(packing))
                    .status.ok());
        Form2& form = Open();
        std::vector<QCheckBox*> ticked;
        if (uncompressed)
            ticked.push_back(form.chkuncom);
        if (fast)
            ticked.insert(fastFirst ? ticked.begin() : ticked.end(), form.chkfast);
        for (QCheckBox* box : ticked)
            box->click();
        QVERIFY(!(form.chkfast->isChecked() && form.chkuncom->isChecked()));
        form.File1[0]->setListIndex(1); // b.tga
        form.File1[1]->setListIndex(0); // pic.gfp
        Convert(form);
        QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
        QCOMPARE(test::ReadBytes(*dir_ / "pic.gfp"), test::ReadBytes(other));
    }

    // "convert all" on the pool writes the files and tells the refusals in list order as
    // the conversion one file at a time does.
    void convertAllOnThePool_data()
    {
        QTest::addColumn<unsigned>("workers");
        QTest::addColumn<int>("mode");
        QTest::newRow("1 worker, tga") << 1U << 1;
        QTest::newRow("2 workers, tga") << 2U << 1;
        QTest::newRow("3 workers, png") << 3U << 2;
    }

    void convertAllOnThePool()
    {
        QFETCH(unsigned, workers);
        QFETCH(int, mode);
        const std::vector<std::string> names{"a.gfp", "b.gfp", "c.gfp", "d.gfp", "e.gfp", "f.gfp"};
        for (const Path& folder : {*dir_ / "sub", *dir_ / "ref"}) {
            test::MakeFolder(folder);
            for (std::size_t k = 0; k < names.size(); ++k)
                test::WriteBytes(folder / names[k], k == 1 || k == 4
                                                        ? Bytes{'N', 'O'}
                                                        : Gfp(static_cast<std::int32_t>(k + 1), 3));
        }
        const auto format = mode == 2 ? jobs::PictureFormat::Png : jobs::PictureFormat::Tga;
        Module1 one;
        for (const std::string& name : names)
            (void)jobs::ConvertGfpFiles(test::PathsOf(*dir_ / "ref", {name}, 0, 0), {.format = format});
        Form2& form = Open();
        form.setBatchWorkers(workers);
        form.Dir1[0]->setPath(Q(*dir_ / "sub"));
        form.opgra[mode]->setChecked(true);
        form.chkunpackall->setChecked(true);
        form.File1[0]->setListIndex(2);

        Convert(form);
        QCOMPARE(test::Snapshot(*dir_ / "sub"), test::Snapshot(*dir_ / "ref"));
        QCOMPARE(form.lblinfo->text(), QString("4 Dateien konvertiert, 2 abgelehnt"));
        QCOMPARE(messages_.texts.size(), 1);
        const QString& text = messages_.texts[0];
        QVERIFY(text.indexOf(Q(*dir_ / "sub" / "b.gfp")) < text.indexOf(Q(*dir_ / "sub" / "e.gfp")));
        QCOMPARE(form.prgjob->value(), form.prgjob->maximum());
        QCOMPARE(form.File1[0]->ListIndex(), 5);
    }

    void refusedTargetGivesMessageAndTitleBack()
    {
        test::WriteBytes(*dir_ / "bad.gfp", {'x', 'y'});
        Form2& form = Open();
        form.File1[0]->setListIndex(0);
        form.File1[1]->setListIndex(0); // bad.gfp
        form.lblinfo->setText("alt");
        Convert(form);
        QVERIFY(form.lblinfo->text().isEmpty());
        QCOMPARE(messages_.texts.size(), 1);
        QVERIFY(messages_.texts[0].contains(Q(*dir_ / "bad.gfp")));
        QCOMPARE(test::ReadBytes(*dir_ / "bad.gfp"), (Bytes{'x', 'y'}));
        QVERIFY(!std::filesystem::exists(*dir_ / "bad.gfp.bak"));
        QCOMPARE(form.windowTitle(), Form2::Caption());
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<unsigned>("workers");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QList<jobs::ReplaceAnswer>>("answers");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QStringList>("replaced");
        QTest::addColumn<QString>("summary");
        using A = jobs::ReplaceAnswer;
        for (const unsigned workers : {1U, 3U}) {
            const QByteArray pool = workers == 1 ? "" : ", pool";
            QTest::newRow("Nein, Nein" + pool) << workers << true << QList{A::No, A::No} << 2 << QStringList{}
                                               << "2 Dateien konvertiert, 2 nicht ersetzt: a.tga, c.tga";
            QTest::newRow("Ja, alle" + pool) << workers << true << QList{A::YesToAll} << 1
                                             << QStringList{"a.tga", "c.tga"} << "4 Dateien konvertiert";
            QTest::newRow("Abbrechen" + pool) << workers << true << QList{A::Cancel} << 1 << QStringList{}
                                              << "0 Dateien konvertiert, abgebrochen";
        }
        QTest::newRow("one file, Nein")
            << 3U << false << QList{A::No} << 1 << QStringList{} << "Nicht ersetzt: {dir}/sub/a.tga";
    }

    void replaceQuestion()
    {
        QFETCH(unsigned, workers);
        QFETCH(bool, all);
        QFETCH(QList<jobs::ReplaceAnswer>, answers);
        QFETCH(int, asked);
        QFETCH(QStringList, replaced);
        QFETCH(QString, summary);
        Form2& form = Open();
        form.setBatchWorkers(workers);
        const auto before = ThreeGfpsTwoOldTgas(form, all);
        questions_.answers = answers;
        Convert(form);

        QCOMPARE(questions_.texts.size(), asked);
        QVERIFY(questions_.texts[0].contains(Q(*dir_ / "sub" / "a.tga")));
        QCOMPARE(questions_.offeredAll[0], all);
        const auto after = test::Snapshot(*dir_ / "sub");
        for (const char* name : {"a.tga", "c.tga"})
            QCOMPARE(after.at(name) != before.at(name), replaced.contains(name));
        QCOMPARE(Status(form), summary);
        QVERIFY(messages_.texts.isEmpty());
    }

    // While a question holds the job between writing and replacing, the window runs its
    // event loop: timers fire, "Convert" takes no click, the lists no input.
    void jobRunsOnTheWorker()
    {
        Form2& form = Open();
        ThreeGfpsTwoOldTgas(form, false);
        int ticks = 0;
        QTimer timer;
        timer.setInterval(1);
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start();
        QSignalSpy busy(&form.Runner(), &ui::JobRunner::BusyChanged);
        bool ticked = false;
        QList<bool> enabled;
        questions_.whileAsked = [&] {
            ticks = 0;
            ticked = QTest::qWaitFor([&] { return ticks > 2; }, 10000);
            enabled = {form.btnconvert->isEnabled(), form.File1[0]->isEnabled(), form.opgra[0]->isEnabled(),
                       form.chkfast->isEnabled(), form.btncancel->isEnabled()};
            QTest::mouseClick(form.btnconvert, Qt::LeftButton);
            form.btnconvert_Click();
        };
        Convert(form);
        QVERIFY(ticked);
        QCOMPARE(enabled, (QList<bool>{false, false, false, false, true}));
        QCOMPARE(busy.count(), 2); // one job: started and ended
        QCOMPARE(questions_.texts.size(), 1);
        QVERIFY(form.btnconvert->isEnabled() && form.File1[0]->isEnabled() && !form.btncancel->isEnabled());
        QCOMPARE(Status(form), QString("Fertig: {dir}/sub/a.tga"));
    }

    // "tga->gfp" asks before a picture of another size replaces the one in the GFP; the
    // replaced GFP can be restored from its .bak, and the restore undone.
    void sizeQuestionAndRestore_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::newRow("same size") << 3 << true << false;
        QTest::newRow("other size, Ja") << 5 << true << true;
        QTest::newRow("other size, Nein") << 5 << false << true;
    }

    void sizeQuestionAndRestore()
    {
        QFETCH(int, width);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        const Path folder = *dir_ / "sub";
        const Bytes old = Gfp(3, 2);
        test::WriteBytes(folder / "ziel.gfp", old);
        test::WriteBytes(folder / "neu.tga", test::PatternTga(static_cast<std::int16_t>(width), 2));
        Form2& form = Open();
        for (int i = 0; i < 2; ++i) {
            form.Dir1[i]->setPath(Q(folder));
            form.File1[i]->setListIndex(0);
        }
        QVERIFY(!form.btnrestore->isEnabled());
        questions_.answers = {yes ? jobs::ReplaceAnswer::Yes : jobs::ReplaceAnswer::No};
        Convert(form);
        QCOMPARE(questions_.texts,
                 asked
                     ? QStringList{"Das Bild in ziel.gfp ist 3 × 2 groß, das neue 5 × 2. Trotzdem ersetzen?"}
                     : QStringList{});
        const Bytes made = test::ReadBytes(folder / "ziel.gfp");
        QCOMPARE(made != old, yes);
        QCOMPARE(form.btnrestore->isEnabled(), yes);
        if (!yes) {
            QCOMPARE(form.prgjob->text(), QString("Nicht ersetzt"));
            QCOMPARE(test::Snapshot(folder).size(), std::size_t{2});
            return;
        }
        for (const Bytes& now : {old, made}) {
            QTest::mouseClick(form.btnrestore, Qt::LeftButton);
            QVERIFY(test::WaitForJob(form.Runner()));
            QCOMPARE(test::ReadBytes(folder / "ziel.gfp"), now);
            QCOMPARE(test::ReadBytes(folder / "ziel.gfp.bak"), now == old ? made : old);
        }
        QVERIFY(messages_.texts.isEmpty());
    }

    void cancelLeavesEveryFile_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("whileAsked");  // cancelled inside the question, else before the job ran
        QTest::addColumn<bool>("closeWindow"); // by closing the window instead of "Abbrechen"
        QTest::addColumn<QString>("summary");
        QTest::newRow("gfp->tga, convert all, while asked")
            << 1 << true << false << "0 Dateien konvertiert, abgebrochen";
        QTest::newRow("gfp->tga, convert all, at once")
            << 1 << false << false << "0 Dateien konvertiert, abgebrochen";
        QTest::newRow("tga->gfp") << 0 << false << false << "Abgebrochen";
        QTest::newRow("tga->gfp, window closed") << 0 << false << true << "Abgebrochen";
    }

    void cancelLeavesEveryFile()
    {
        QFETCH(int, mode);
        QFETCH(bool, whileAsked);
        QFETCH(bool, closeWindow);
        QFETCH(QString, summary);
        Form2& form = Open();
        form.setBatchWorkers(3);
        const auto before = ThreeGfpsTwoOldTgas(form, true);
        const auto top = test::Snapshot(dir_->path());
        if (mode == 0) {
            form.opgra[0]->setChecked(true);
            form.File1[0]->setListIndex(0);
            form.File1[1]->setListIndex(0);
        }
        if (whileAsked) {
            questions_.whileAsked = [&] { QTest::mouseClick(form.btncancel, Qt::LeftButton); };
            Convert(form);
        } else {
            test::WorkerGate gate;
            QTest::mouseClick(form.btnconvert, Qt::LeftButton);
            QVERIFY(form.btncancel->isEnabled());
            if (closeWindow)
                form.close();
            else
                QTest::mouseClick(form.btncancel, Qt::LeftButton);
            gate.Release();
            QVERIFY(test::WaitForJob(form.Runner()));
        }
        QCOMPARE(test::Snapshot(dir_->path()), top);
        QCOMPARE(test::Snapshot(*dir_ / "sub"), before);
        QCOMPARE(Status(form), summary);
        QCOMPARE(form.prgjob->text(), QString("Abgebrochen"));
        QVERIFY(messages_.texts.isEmpty());
    }

    // A damaged PNG source is refused and touches nothing; "gfp->png" writes the PNG.
    void pngBothWays_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("damaged png source, tga->gfp") << 0;
        QTest::newRow("gfp->png") << 2;
    }

    void pngBothWays()
    {
        QFETCH(int, mode);
        test::WriteBytes(*dir_ / "c.png", {0x89, 'P', 'N', 'G'});
        const auto before = test::Snapshot(dir_->path());
        Form2& form = Open();
        form.opgra[mode]->setChecked(true);
        form.File1[0]->setListIndex(mode == 0 ? 2 : 0); // c.png or pic.gfp
        form.File1[1]->setListIndex(0);
        Convert(form);
        if (mode == 0) {
            QCOMPARE(messages_.texts.size(), 1);
            QVERIFY(messages_.texts[0].contains("c.png: "));
            QCOMPARE(test::Snapshot(dir_->path()), before);
        } else {
            QVERIFY(messages_.texts.isEmpty());
            QVERIFY(std::filesystem::exists(*dir_ / "pic.png"));
        }
    }

    void listsFollowTheDisk()
    {
        Form2& form = Open();
        form.opgra[1]->setChecked(true);
        form.File1[0]->setListIndex(0); // pic.gfp
        Convert(form);
        QCOMPARE(form.File1[1]->FileNames(), QStringList({"A.TGA", "b.tga", "pic.tga"}));
        QCOMPARE(form.File1[0]->FileName(), QString("pic.gfp"));

        // Written by someone else: the watcher lists it, the selection stays.
        test::WriteBytes(*dir_ / "new.gfp", Gfp(2, 2));
        test::MakeFolder(*dir_ / "newfolder");
        QTRY_COMPARE_WITH_TIMEOUT(form.File1[0]->FileNames(), QStringList({"new.gfp", "pic.gfp"}), 10000);
        QCOMPARE(form.File1[0]->FileName(), QString("pic.gfp"));
        QTRY_VERIFY_WITH_TIMEOUT(form.Dir1[0]->findItems("newfolder", Qt::MatchExactly).size() == 1, 10000);
        std::filesystem::remove(*dir_ / "pic.gfp");
        QTRY_COMPARE_WITH_TIMEOUT(form.File1[0]->FileNames(), QStringList({"new.gfp"}), 10000);
        QCOMPARE(form.File1[0]->ListIndex(), -1);
    }

    void previewFollowsTheSourceSelection()
    {
        Form2& form = Open();
        form.File1[0]->setListIndex(1); // b.tga, 3 x 2
        QTRY_COMPARE_WITH_TIMEOUT(form.picpreview->Info(), QString("3 × 2, TGA 24 Bit"), 10000);
        QCOMPARE(form.picpreview->Picture().size(), QSize(3, 2));
        QTest::keyClick(form.File1[0], Qt::Key_Up); // A.TGA, 2 x 2, by keyboard
        QTRY_COMPARE_WITH_TIMEOUT(form.picpreview->Info(), QString("2 × 2, TGA 24 Bit"), 10000);
        form.opgra[1]->setChecked(true); // a new list: nothing selected, nothing shown
        QVERIFY(form.picpreview->Info().isEmpty());
        QVERIFY(form.picpreview->Picture().isNull());
        form.File1[0]->setListIndex(0);
        QTRY_COMPARE_WITH_TIMEOUT(form.picpreview->Info(), QString("4 × 2, GFP, zlib"), 10000);
    }

    // In the GFP directions "Wiederherstellen" puts back the selected GFP that "Bearbeiten…" changes.
    void restoreOfTheSourceGfp()
    {
        test::WriteBytes(*dir_ / "pic.gfp.bak", Gfp(2, 2));
        Form2& form = Open();
        form.opgra[2]->setChecked(true);
        QVERIFY(!form.btnrestore->isEnabled());
        form.File1[0]->setListIndex(int(form.File1[0]->FileNames().indexOf("pic.gfp")));
        QVERIFY(form.btnrestore->isEnabled());
        QTest::mouseClick(form.btnrestore, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(test::ReadBytes(*dir_ / "pic.gfp"), Gfp(2, 2));
        QCOMPARE(test::ReadBytes(*dir_ / "pic.gfp.bak"), Gfp(4, 2));
    }
};

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
