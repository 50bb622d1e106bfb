// The unpacker window: start state, the report after a click, the unpack, folders that go,
// the item list with its preview, extract and replace.

#include "jobs/archive.h"
#include "jobs/items.h"
#include "jobs/report.h"
#include "tests/support/png_builder.h"
#include "tests/support/tga_builder.h"
#include "tests/ui/ui_support.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/form1.h"
#include "ui/preview.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTreeView>
#include <QtTest>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

using namespace varnox;
using test::Q;
using test::SelectItem;
using ui::Form1;

namespace {

// Three pictures and a sound item.
Bytes Archive()
{
    return test::MakeRes({{14, "eins", test::PlainGfp(2, 2)},
                          {16, "klang", {1, 2, 3}},
                          {14, "zwei", test::PlainGfp(3, 2)},
                          {14, "drei", test::PlainGfp(4, 2)}});
}

// The GFP of every picture item of the archive at path, by index; empty for other items.
std::vector<Bytes> ItemGfps(const Path& path)
{
    Module1 module;
    ArchiveModel model;
    if (!ReadArchive(module, path, model).ok())
        return {};
    std::vector<Bytes> gfps;
    for (std::size_t i = 0; i < model.items.size(); ++i)
        gfps.push_back(jobs::ReadItemGfp(path, model, i).gfp);
    return gfps;
}

QString ExpectedText(const Path& folder, const std::string& name)
{
    Module1 module;
    QString text = ui::ToQString(jobs::ReportText(jobs::RunArchiveReport(folder, name, {})));
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
        test::WriteBytes(*dir_ / "pic.gfp", test::PlainGfp(2, 2));
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
        QCOMPARE(form.size(), QSize(792, 440));
        QCOMPARE(form.Dir1->path(), Q(dir_->path()));
        QCOMPARE(form.filFile->path(), Q(dir_->path()));
        QCOMPARE(form.filFile->FileNames(), QStringList({"ALT.RES", "gfx.res"}));
        QVERIFY(form.txtinfo->toPlainText().isEmpty());
        QCOMPARE(form.ItemCount(), 0);
        QVERIFY(!form.btnextractall->isEnabled() && !form.btnextractsel->isEnabled());
        QVERIFY(!form.btnreplace->isEnabled() && !form.btnrestore->isEnabled());
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
        // The file list still takes keys: a click waits for the job's end.
        QVERIFY(form.filFile->isEnabled() && !form.Dir1->isEnabled());
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
        items.reserve(61);
        for (int i = 0; i < 60; ++i)
            items.push_back({14, "bild" + std::to_string(i), test::PlainGfp(2, 2)});
        items.push_back({14, "kaputt", {'N', 'O', 'P', 'E'}});
        test::WriteBytes(*dir_ / "many.res", test::MakeRes(items));
        Form1& form = Open();
        form.resize(form.minimumSize());
        form.Check1->setChecked(true);
        ClickFile(form, 2); // many.res
        QCOMPARE(form.lblinfo->text(), QString("60 Bilder entpackt, 1 nicht entpackt"));
        QVERIFY(form.txtinfo->CurrentLine().startsWith("Nicht entpackt: 1"));
        QVERIFY(form.txtinfo->verticalScrollBar()->value() > 0);
    }

    // A few thousand items: the list is filled and every report line is reachable, from the
    // first to the last, the same as the report made whole.
    void reportLinesOfManyItems_data()
    {
        QTest::addColumn<bool>("unpack");
        QTest::addColumn<QString>("lastLine"); // before the empty line that ends the report
        QTest::addColumn<int>("failureLines");
        QTest::newRow("listed") << false << QString("\tItemname:kaputt") << 0;
        QTest::newRow("unpacked, one not") << true << QString("\tkaputt: ") << 2;
    }

    void reportLinesOfManyItems()
    {
        QFETCH(bool, unpack);
        QFETCH(QString, lastLine);
        QFETCH(int, failureLines);
        constexpr int kItems = 3000;
        std::vector<test::ResItemSpec> items;
        for (int i = 0; i + 1 < kItems; ++i)
            items.push_back({i % 3 == 0 ? 16 : 14, "bild" + std::to_string(i), test::PlainGfp(2, 2)});
        items.push_back({14, "kaputt", {'N', 'O', 'P', 'E'}});
        test::WriteBytes(*dir_ / "many.res", test::MakeRes(items));
        Form1& form = Open();
        form.Check1->setChecked(unpack);
        ClickFile(form, 2); // many.res
        QCOMPARE(form.ItemCount(), kItems);
        QCOMPARE(form.ShownItemCount(), kItems);
        ui::ReportView& report = *form.txtinfo;
        QCOMPARE(report.LineCount(), 4 + 3 * kItems + failureLines + 1);
        QCOMPARE(report.model()->index(0, 0).data().toString(), QString("Gültige RES-File"));
        report.ShowLine(report.LineCount() - 2);
        QVERIFY(report.CurrentLine().startsWith(lastLine));
        // The whole report's text, the lines of the items not unpacked after it.
        QVERIFY(report.toPlainText().startsWith(ExpectedText(dir_->path(), "many.res")));
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

    void itemList_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("rows");
        const auto size = [](std::int32_t width) { return QString::number(test::PlainGfp(width, 2).size()); };
        QTest::newRow("refused") << 0 << QStringList();
        QTest::newRow("gfx.res") << 1
                                 << QStringList({"#0 Grafik(14) eins " + size(2), "#1 Sound(16) klang 3",
                                                 "#2 Grafik(14) zwei " + size(3),
                                                 "#3 Grafik(14) drei " + size(4)});
    }

    void itemList()
    {
        QFETCH(int, row);
        QFETCH(QStringList, rows);
        Form1& form = Open();
        ClickFile(form, 1);
        ClickFile(form, row);
        QStringList shown;
        const QAbstractItemModel* items = form.lstitems->model();
        for (int i = 0; i < form.ItemCount(); ++i) {
            QStringList texts;
            for (const int column : {0, 2, 1, 4}) // number, type, name, size
                texts.append(items->index(i, column).data().toString());
            shown.append(texts.join(' '));
        }
        QCOMPARE(shown, rows);
        QCOMPARE(form.btnextractall->isEnabled(), !rows.isEmpty());
    }

    void previewOfTheSelectedItem()
    {
        Form1& form = Open();
        ClickFile(form, 1);
        SelectItem(form, 2); // zwei, 3 x 2
        QCOMPARE(form.preview->Info(), QString("Lade …"));
        QVERIFY(QTest::qWaitFor([&] { return form.preview->Picture().width() == 3; }, 60000));
        QVERIFY(form.preview->Info().startsWith("3 × 2"));
        QVERIFY(form.btnreplace->isEnabled());
        SelectItem(form, 1); // the sound item
        QVERIFY(form.preview->Picture().isNull() && form.preview->path().isEmpty());
        QCOMPARE(form.preview->Info(), QString("Ton, 3 Bytes: keine Vorschau"));
        QVERIFY(!form.btnreplace->isEnabled());
        QVERIFY(form.btnreplace->toolTip().contains("Nur Bilder"));
    }

    // The report and item list of a full archive are made on the worker; the window keeps
    // taking events meanwhile, and a key pressed in the file list is not lost.
    void largeArchiveLoadsOffTheWindowThread()
    {
        std::vector<test::ResItemSpec> items(32767, test::ResItemSpec{16, "klang", {1, 2}});
        test::WriteBytes(*dir_ / "big.res", test::MakeRes(items));
        Form1& form = Open();
        QCOMPARE(form.filFile->FileNames(), QStringList({"ALT.RES", "big.res", "gfx.res"}));
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ticks += form.Runner().IsBusy() ? 1 : 0; });
        timer.start(0);
        ClickFile(form, 1);
        QVERIFY(ticks > 0);
        QCOMPARE(form.ItemCount(), 32767);
        QVERIFY(form.txtinfo->LineCount() > 3 * 32767);

        {
            test::WorkerGate gate;
            form.filFile->setFocus();
            form.filFile->setListIndex(0);
            QTest::keyClick(form.filFile, Qt::Key_Down); // while ALT.RES is read
            QVERIFY(form.filFile->isEnabled());
            QCOMPARE(form.filFile->FileName(), QString("big.res"));
            QTest::keyClick(form.filFile, Qt::Key_Down);
            QCOMPARE(form.filFile->FileName(), QString("gfx.res"));
        }
        QVERIFY(QTest::qWaitFor([&] { return !form.Runner().IsBusy() && form.ItemCount() == 4; }, 60000));
        QCOMPARE(form.txtinfo->toPlainText(), ExpectedText(dir_->path(), "gfx.res"));
        QCOMPARE(form.focusWidget(), form.filFile);
    }

    // "Wiederherstellen" swaps the archive and its .bak, after asking; again, it undoes.
    void restoreAndUndo()
    {
        const Bytes old = test::ReadBytes(*dir_ / "gfx.res");
        const Bytes backup = test::MakeRes({{14, "alt", test::PlainGfp(2, 2)}});
        test::WriteBytes(*dir_ / "gfx.res.bak", backup);
        Form1& form = Open();
        test::Questions questions;
        form.setQuestionSink(questions.Sink());
        ClickFile(form, 1);
        QVERIFY(form.btnrestore->isEnabled());
        questions.answers = {jobs::ReplaceAnswer::No};
        QTest::mouseClick(form.btnrestore, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(*dir_ / "gfx.res"), old); // declined: nothing changed
        for (const Bytes& now : {backup, old}) {
            const int count = now == old ? 4 : 1; // the archive shown is read again
            QTest::mouseClick(form.btnrestore, Qt::LeftButton);
            QVERIFY(
                QTest::qWaitFor([&] { return !form.Runner().IsBusy() && form.ItemCount() == count; }, 60000));
            QCOMPARE(test::ReadBytes(*dir_ / "gfx.res"), now);
            QCOMPARE(test::ReadBytes(*dir_ / "gfx.res.bak"), now == old ? backup : old);
        }
        QCOMPARE(questions.texts.size(), 3);
        QVERIFY(questions.texts[0].startsWith("gfx.res aus gfx.res.bak wiederherstellen?"));
    }

    void extractThroughTheDialog()
    {
        Form1& form = Open();
        ClickFile(form, 1);
        QStringList asked;
        form.setFolderChooser([&](const QString&, const QString& start) {
            asked.append(start);
            return Q(*dir_ / "aus");
        });
        QTest::mouseClick(form.btnextractall, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(asked, QStringList({Q(jobs::ExtractFolder(*dir_ / "gfx.res"))}));
        QCOMPARE(test::ReadBytes(*dir_ / "aus" / "zwei.gfp"), test::PlainGfp(3, 2));
        QCOMPARE(test::ReadBytes(*dir_ / "aus" / "klang.sound"), Bytes({1, 2, 3}));
        QVERIFY(std::filesystem::exists(*dir_ / "aus" / "archive.txt"));
        QCOMPARE(form.lblinfo->property("statusText").toString(),
                 QString("4 Einträge entpackt nach %1, exakt").arg(Q(*dir_ / "aus")));
        QVERIFY(messages_.texts.isEmpty());

        // The selected items alone, without a manifest that could not be packed; "Alle
        // entpacken…" still writes everything and the manifest with a selection.
        SelectItem(form, 1);
        QVERIFY(form.btnextractsel->isEnabled());
        form.setFolderChooser([&](const QString&, const QString&) { return Q(*dir_ / "teil"); });
        QTest::mouseClick(form.btnextractsel, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(test::ListTree(*dir_ / "teil"), std::vector<std::string>{"klang.sound"});
        QVERIFY(form.lblinfo->property("statusText").toString().endsWith(", Auswahl, ohne archive.txt"));

        // A file of other content is replaced only when the user says so, as a conversion asks.
        test::WriteBytes(*dir_ / "teil" / "klang.sound", Bytes{7});
        test::Questions questions;
        questions.answers.append(jobs::ReplaceAnswer::No);
        form.setQuestionSink(questions.Sink());
        QTest::mouseClick(form.btnextractsel, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(questions.texts.size(), 1);
        QVERIFY(questions.texts[0].contains("klang.sound"));
        QCOMPARE(test::ReadBytes(*dir_ / "teil" / "klang.sound"), Bytes{7});

        form.setFolderChooser([&](const QString&, const QString&) { return Q(*dir_ / "alle"); });
        QTest::mouseClick(form.btnextractall, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(test::ListTree(*dir_ / "alle").size(), std::size_t{5});
        QVERIFY(std::filesystem::exists(*dir_ / "alle" / "archive.txt"));
    }

    // "Bilder auch als PNG" puts a PNG beside each GFP; "Packen…" asks before it replaces the
    // archive, keeps the old one as .bak and, the folder unchanged, writes the same bytes.
    void extractWithPngsThenPack()
    {
        const Bytes before = test::ReadBytes(*dir_ / "gfx.res");
        Form1& form = Open();
        ClickFile(form, 1);
        form.chkpng->setChecked(true);
        form.setFolderChooser([&](const QString&, const QString&) { return Q(*dir_ / "bilder"); });
        QTest::mouseClick(form.btnextractall, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QVERIFY(std::filesystem::exists(*dir_ / "bilder" / "zwei.png"));
        QVERIFY(!std::filesystem::exists(*dir_ / "bilder" / "klang.png"));

        test::Questions questions;
        questions.answers = {jobs::ReplaceAnswer::No, jobs::ReplaceAnswer::Yes};
        form.setQuestionSink(questions.Sink());
        form.setFileChooser(
            [&](const QString&, const QString&, const QString&) { return Q(*dir_ / "gfx.res"); });
        QTest::mouseClick(form.btnpack, Qt::LeftButton); // declined: nothing written
        QVERIFY(!std::filesystem::exists(*dir_ / "gfx.res.bak"));
        QTest::mouseClick(form.btnpack, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(questions.texts.size(), 2);
        QVERIFY(questions.texts[1].startsWith("Das Archiv gibt es schon:"));
        QVERIFY(messages_.texts.isEmpty());
        QCOMPARE(test::ReadBytes(*dir_ / "gfx.res"), before);
        QVERIFY(!std::filesystem::exists(*dir_ / "gfx.res.bak")); // the same bytes write nothing
        QVERIFY(form.lblinfo->property("statusText").toString().startsWith("4 Einträge nach"));
    }

    void replaceThroughTheDialogs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("message"); // part of the message shown, if any
        QTest::addColumn<bool>("held");       // another writer holds the archive
        const int yes = static_cast<int>(jobs::ReplaceAnswer::Yes);
        const int no = static_cast<int>(jobs::ReplaceAnswer::No);
        QTest::newRow("GFP") << "neu.gfp" << yes << true << 0 << "" << false;
        QTest::newRow("TGA") << "neu.tga" << yes << true << 0 << "" << false;
        QTest::newRow("PNG") << "neu.png" << yes << true << 0 << "" << false;
        QTest::newRow("answered Nein") << "neu.gfp" << no << false << 0 << "" << false;
        QTest::newRow("no file chosen") << "" << yes << false << 0 << "" << false;
        QTest::newRow("damaged file") << "kaputt.gfp" << yes << false << 1 << "" << false;
        QTest::newRow("zlib cannot read") << "zlib.gfp" << yes << false << 1 << "zlib-Daten" << false;
        QTest::newRow("archive held")
            << "neu.gfp" << yes << false << 1 << "gerade von einem anderen Vorgang geschrieben" << true;
    }

    void replaceThroughTheDialogs()
    {
        QFETCH(QString, file);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QFETCH(int, messages);
        QFETCH(QString, message);
        QFETCH(bool, held);
        test::GfpSpec wide;
        wide.width = 7;
        test::WriteBytes(*dir_ / "neu.gfp", test::MakeGfp(wide));
        test::TgaSpec tga;
        tga.width = 7;
        tga.picture = test::PatternPicture(7, 2);
        test::WriteBytes(*dir_ / "neu.tga", test::MakeTga(tga));
        test::PngSpec png;
        png.width = 7;
        png.samples.assign(7 * 2 * 3, 9);
        test::WriteBytes(*dir_ / "neu.png", test::MakePng(png));
        test::WriteBytes(*dir_ / "kaputt.gfp", {'N', 'A', 'L', 'P', 1, 2});
        Bytes broken = test::MakeGfp(wide);
        broken.back() ^= 0x55; // the stream's checksum
        test::WriteBytes(*dir_ / "zlib.gfp", broken);
        const Bytes before = test::ReadBytes(*dir_ / "gfx.res");
        const int holder = ::open((*dir_ / "gfx.res").c_str(), O_RDONLY | O_CLOEXEC);
        QVERIFY(!held || ::flock(holder, LOCK_EX) == 0);
        const std::vector<Bytes> gfpsBefore = ItemGfps(*dir_ / "gfx.res");

        Form1& form = Open();
        test::Questions questions;
        questions.answers.append(static_cast<jobs::ReplaceAnswer>(answer));
        form.setQuestionSink(questions.Sink());
        form.setFileChooser([&](const QString&, const QString&, const QString&) {
            return file.isEmpty() ? QString() : Q(*dir_ / file.toStdString());
        });
        ClickFile(form, 1);
        SelectItem(form, 2);
        QTest::mouseClick(form.btnreplace, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        ::close(holder);
        QCOMPARE(questions.texts.size(), file.isEmpty() ? 0 : 1);
        if (!file.isEmpty())
            QVERIFY(questions.texts[0].startsWith("Ersetzen?\n#2 zwei in gfx.res durch " + file));
        QCOMPARE(messages_.texts.size(), messages);
        QVERIFY(message.isEmpty() || messages_.texts[0].contains(message));
        QCOMPARE(std::filesystem::exists(*dir_ / "gfx.res.bak"), replaced);
        if (!replaced) {
            QCOMPARE(test::ReadBytes(*dir_ / "gfx.res"), before);
            return;
        }
        QCOMPARE(test::ReadBytes(*dir_ / "gfx.res.bak"), before);
        std::vector<Bytes> gfps = ItemGfps(*dir_ / "gfx.res");
        QCOMPARE(gfps.size(), gfpsBefore.size());
        QVERIFY(gfps[2] != gfpsBefore[2]);
        gfps[2] = gfpsBefore[2];
        QVERIFY(gfps == gfpsBefore); // every other item as it was
        // The list and the preview show the new picture.
        QCOMPARE(form.lblinfo->text(), QString("Fertig: #2 zwei ersetzt"));
        QCOMPARE(form.lstitems->model()->index(2, 4).data().toString(),
                 QString::number(ItemGfps(*dir_ / "gfx.res")[2].size()));
        QVERIFY(QTest::qWaitFor([&] { return form.preview->Picture().width() == 7; }, 60000));
        QCOMPARE(form.txtinfo->toPlainText(), ExpectedText(dir_->path(), "gfx.res"));
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
