// The unpacker window: start state, the report after a click, the unpack, folders that go.

#include "jobs/report.h"
#include "tests/ui/ui_support.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/form1.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>
#include <memory>

using namespace varnox;
using test::Q;
using ui::Form1;

namespace {

Bytes Picture(std::int32_t width)
{
    test::GfpSpec spec;
    spec.width = width;
    spec.height = 2;
    return test::MakeGfp(spec);
}

// Three pictures and a sound item.
Bytes Archive()
{
    return test::MakeRes({{14, "eins", Picture(2)},
                          {16, "klang", {1, 2, 3}},
                          {14, "zwei", Picture(3)},
                          {14, "drei", Picture(4)}});
}

QString ExpectedText(const Path& folder, const std::string& name)
{
    Module1 module;
    QString text = ui::ToQString(jobs::ReportText(jobs::RunArchiveReport(module, folder, name, {})));
    return text.replace("\r\n", "\n");
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Module1> module_;
    QPointer<Form1> form_;
    test::Messages messages_;

    Form1& Open()
    {
        module_ = std::make_unique<Module1>();
        form_ = new Form1(*module_, Q(dir_->path()));
        form_->setMessageSink(messages_.Sink());
        form_->Form_Load();
        return *form_;
    }

    // Clicks entry row of the file list with the mouse, and waits for the report to end.
    static void ClickFile(Form1& form, int row)
    {
        const QRect where = form.filFile->visualItemRect(form.filFile->item(row));
        QTest::mouseClick(form.filFile->viewport(), Qt::LeftButton, {}, where.center());
        QVERIFY(test::WaitForJob(form.Runner()));
    }

  private slots:
    void init()
    {
        dir_ = std::make_unique<test::TempDir>();
        messages_.texts.clear();
        test::WriteBytes(*dir_ / "gfx.res", Archive());
        test::WriteBytes(*dir_ / "ALT.RES", {'r', 'e', 's', 'f', 0, 0, 0, 0});
        test::WriteBytes(*dir_ / "pic.gfp", Picture(2));
        test::MakeFolder(*dir_ / "sub" / "deeper");
        test::WriteBytes(*dir_ / "sub" / "x.res", Archive());
    }

    void cleanup()
    {
        delete form_.data();
        test::RunDeferredDeletes();
        dir_.reset();
    }

    void startState()
    {
        Form1& form = Open();
        QVERIFY(form.windowTitle().startsWith("Varnox unpack v0.1"));
        QCOMPARE(form.size(), QSize(461, 340));
        QCOMPARE(form.Dir1->path(), Q(dir_->path()));
        QCOMPARE(form.filFile->path(), Q(dir_->path()));
        QCOMPARE(form.filFile->FileNames(), QStringList({"ALT.RES", "gfx.res"}));
        QVERIFY(form.txtinfo->toPlainText().isEmpty());
        QVERIFY(!form.Check1->isChecked());
        QCOMPARE(form.focusWidget(), form.filFile);
        QVERIFY(messages_.texts.isEmpty());
    }

    void clickShowsReport_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("summary");
        QTest::newRow("Check1 unticked") << false << "Fertig: gfx.res";
        QTest::newRow("Check1 ticked") << true << "3 Bilder entpackt";
    }

    void clickShowsReport()
    {
        QFETCH(bool, ticked);
        QFETCH(QString, summary);
        Form1& form = Open();
        form.Check1->setChecked(ticked);
        form.txtinfo->setPlainText("von vorher");
        ClickFile(form, 1); // gfx.res
        QCOMPARE(form.txtinfo->toPlainText(), ExpectedText(dir_->path(), "gfx.res"));
        QVERIFY(form.txtinfo->toPlainText().startsWith("Gültige RES-File\nAnzahl:4\n"));
        QCOMPARE(std::filesystem::exists(*dir_ / "gfx"), ticked);
        for (const char* name : {"eins.gfp", "zwei.gfp", "drei.gfp"})
            QCOMPARE(std::filesystem::exists(*dir_ / "gfx" / name), ticked);
        QVERIFY(!std::filesystem::exists(*dir_ / "gfx" / "klang.gfp"));
        QCOMPARE(form.lblinfo->text(), summary);
        QVERIFY(form.cursor().shape() == Qt::ArrowCursor);
        QVERIFY(form.filFile->isEnabled() && form.Dir1->isEnabled());
        // The unpack folder is listed, the archive stays selected.
        QCOMPARE(form.Dir1->findItems("gfx", Qt::MatchExactly).size(), ticked ? 1 : 0);
        QCOMPARE(form.filFile->FileName(), QString("gfx.res"));

        ClickFile(form, 1); // the same entry again: the same report
        QCOMPARE(form.txtinfo->toPlainText(), ExpectedText(dir_->path(), "gfx.res"));
        ClickFile(form, 0);
        QCOMPARE(form.txtinfo->toPlainText(), QString("Keine gültige RES-File"));
        QVERIFY(form.lblinfo->text().isEmpty());
        QVERIFY(messages_.texts.isEmpty());
    }

    // The job is held back on the worker while the window is used.
    void whileTheUnpackRuns_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("summary");
        QTest::newRow("unticked") << "untick"
                                  << "Fertig: gfx.res";
        QTest::newRow("cancelled") << "cancel"
                                   << "Abgebrochen: 0 Bilder entpackt";
        QTest::newRow("closed") << "close"
                                << "";
    }

    void whileTheUnpackRuns()
    {
        QFETCH(QString, action);
        QFETCH(QString, summary);
        Form1& form = Open();
        form.Check1->setChecked(true);
        test::WorkerGate gate;
        form.filFile->setListIndex(1); // raises the click
        QVERIFY(form.IsBusy());
        QVERIFY(!form.filFile->isEnabled() && !form.Dir1->isEnabled());
        QVERIFY(form.Check1->isEnabled() && form.btncancel->isEnabled());
        if (action == "untick")
            form.Check1->setChecked(false);
        else if (action == "cancel")
            QTest::mouseClick(form.btncancel, Qt::LeftButton);
        else
            form.close();
        test::RunDeferredDeletes();
        QVERIFY(!form_.isNull()); // a closed window stays until its job has ended
        gate.Release();
        if (action == "close") {
            // The window, with the worker of its own, goes once its job has ended.
            QVERIFY(QTest::qWaitFor([&] { return form_.isNull(); }, 60000));
            QVERIFY(!std::filesystem::exists(*dir_ / "gfx"));
            return;
        }
        QVERIFY(test::WaitForJob(form.Runner()));
        QVERIFY(!std::filesystem::exists(*dir_ / "gfx"));
        QCOMPARE(form.txtinfo->toPlainText(), ExpectedText(dir_->path(), "gfx.res"));
        QCOMPARE(form.lblinfo->text(), summary);
        QVERIFY(form.filFile->isEnabled() && form.Dir1->isEnabled() && !form.btncancel->isEnabled());
    }

    void reportOpensOnTheItemsNotUnpacked()
    {
        std::vector<test::ResItemSpec> items;
        for (int i = 0; i < 60; ++i)
            items.push_back({14, "bild" + std::to_string(i), Picture(2)});
        items.push_back({14, "kaputt", {'N', 'O', 'P', 'E'}});
        test::WriteBytes(*dir_ / "many.res", test::MakeRes(items));
        Form1& form = Open();
        form.resize(form.minimumSize());
        form.Check1->setChecked(true);
        ClickFile(form, 2); // many.res
        QCOMPARE(form.lblinfo->text(), QString("60 Bilder entpackt, 1 nicht entpackt"));
        QVERIFY(form.txtinfo->textCursor().block().text().startsWith("Nicht entpackt: 1"));
        QVERIFY(form.txtinfo->verticalScrollBar()->value() > 0);
    }

    void openingAFolderMovesTheFileList()
    {
        Form1& form = Open();
        const int sub = form.Dir1->count() - 1;
        QCOMPARE(form.Dir1->EntryPath(sub), Q(*dir_ / "sub"));
        const QRect where = form.Dir1->visualItemRect(form.Dir1->item(sub));
        QTest::mouseClick(form.Dir1->viewport(), Qt::LeftButton, {}, where.center());
        QCOMPARE(form.Dir1->path(), Q(dir_->path())); // one click only selects
        QTest::mouseDClick(form.Dir1->viewport(), Qt::LeftButton, {}, where.center());
        QCOMPARE(form.Dir1->path(), Q(*dir_ / "sub"));
        QCOMPARE(form.filFile->path(), Q(*dir_ / "sub"));
        QCOMPARE(form.filFile->FileNames(), QStringList({"x.res"}));
    }

    void folderThatWentGivesMessage_data()
    {
        QTest::addColumn<bool>("currentGoneToo");
        QTest::newRow("subfolder removed") << false;
        QTest::newRow("current folder removed") << true;
    }

    void folderThatWentGivesMessage()
    {
        QFETCH(bool, currentGoneToo);
        Form1& form = Open();
        form.Dir1->setPath(Q(*dir_ / "sub"));
        const int deeper = form.Dir1->count() - 1;
        std::filesystem::remove_all(currentGoneToo ? *dir_ / "sub" : *dir_ / "sub" / "deeper");

        form.Dir1->OpenEntry(deeper);
        QCOMPARE(messages_.texts.size(), 1);
        QVERIFY(messages_.texts[0].contains(Q(*dir_ / "sub" / "deeper")));
        const QString stays = Q(currentGoneToo ? dir_->path() : *dir_ / "sub");
        QCOMPARE(form.Dir1->path(), stays);
        QCOMPARE(form.filFile->path(), stays);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
