// The edit loop in the windows: a watched picture taken back on each save after one
// question, a picture dropped on an item, files dropped on the converter, the item filter.

#include "jobs/archive.h"
#include "jobs/items.h"
#include "tests/support/png_builder.h"
#include "tests/ui/ui_support.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/form1.h"
#include "ui/form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

using namespace varnox;
using test::Q;
using test::SelectItem;

namespace {

Bytes Png(std::uint32_t width, std::uint16_t red)
{
    test::PngSpec spec;
    spec.width = width;
    spec.height = 1;
    for (std::uint32_t x = 0; x < width; ++x)
        spec.samples.insert(spec.samples.end(), {red, 0, 0});
    return test::MakePng(spec);
}

// Saves bytes over path as an editor does: a new file renamed over the old one.
void SaveAsEditor(const Path& path, const Bytes& bytes)
{
    Path temporary = path;
    temporary += ".tmp";
    test::WriteBytes(temporary, bytes);
    std::filesystem::rename(temporary, path);
}

Bytes ItemGfp(const Path& archive, std::size_t index)
{
    Module1 module;
    ArchiveModel model;
    if (!ReadArchive(module, archive, model).ok())
        return {};
    return jobs::ReadItemGfp(archive, model, index).gfp;
}

} // namespace

class EditTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Module1> module_;
    std::unique_ptr<ui::Form2> converter_;
    test::Messages messages_;
    test::Questions questions_;

    Path Archive() const { return *dir_ / "gfx.res"; }

    // The unpacker on gfx.res, opened from the converter.
    ui::Form1& OpenArchive()
    {
        module_ = std::make_unique<Module1>();
        converter_ = std::make_unique<ui::Form2>(*module_, Q(dir_->path()));
        converter_->setMessageSink(messages_.Sink());
        converter_->setQuestionSink(questions_.Sink());
        converter_->Form_Load();
        converter_->OpenDropped(Q(Archive()));
        ui::Form1* form = converter_->Unpacker();
        [&] { QVERIFY(form != nullptr && test::WaitForJob(form->Runner())); }();
        return *form;
    }

    // Saves the watched PNG and waits until the watch has taken it (or 600 ms more went by).
    void Save(ui::Form1& form, const Bytes& png, int questions)
    {
        SaveAsEditor(ui::ToPath(form.Edits().Pictures().front()), png);
        (void)QTest::qWaitFor([&] { return questions_.texts.size() == questions; }, 5000);
        QTest::qWait(600);
        QVERIFY(test::WaitForJob(form.Runner()));
    }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        dir_ = std::make_unique<test::TempDir>();
        messages_.texts.clear();
        questions_ = {};
        test::WriteBytes(Archive(), test::MakeRes({{14, "eins", test::PlainGfp(2, 2)},
                                                   {16, "klang", {1, 2, 3}},
                                                   {14, "zwei", test::PlainGfp(3, 2)},
                                                   {14, "drei", test::PlainGfp(4, 2)}}));
        test::WriteBytes(*dir_ / "pic.gfp", test::PlainGfp(2, 2));
        test::MakeFolder(*dir_ / "sub");
        qputenv("VARNOX_EDITOR", "true");
    }

    void cleanup()
    {
        converter_.reset();
        test::RunDeferredDeletes();
        dir_.reset();
    }

    void watchTakesEachSaveAfterOneQuestion()
    {
        ui::Form1& form = OpenArchive();
        SelectItem(form, 0);
        QVERIFY(form.btnedit->isEnabled());
        form.btnedit->click();
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(form.Edits().Pictures().size(), 1);
        const Bytes before = test::ReadBytes(Archive());
        const Bytes others = ItemGfp(Archive(), 2);

        questions_.answers = {jobs::ReplaceAnswer::Yes, jobs::ReplaceAnswer::No,
                              jobs::ReplaceAnswer::YesToAll};
        Save(form, Png(3, 255), 1);
        QCOMPARE(questions_.texts.size(), 1);
        QCOMPARE(questions_.texts[0], QString("Änderung an #0 eins in gfx.res übernehmen?\n\nDas Bild ist "
                                              "jetzt 3 × 1 groß, bisher 2 × 2."));
        const Bytes first = test::ReadBytes(Archive());
        QVERIFY(first != before);
        QCOMPARE(test::ReadBytes(*dir_ / "gfx.res.bak"), before);
        QCOMPARE(ItemGfp(Archive(), 2), others);

        Save(form, Png(3, 100), 2); // answered No: nothing written
        QCOMPARE(test::ReadBytes(Archive()), first);
        Save(form, Png(3, 255), 2); // the picture the item holds: no change, no question
        Save(form, Png(3, 50), 3);  // "Immer für dieses Bild"
        const Bytes third = test::ReadBytes(Archive());
        QVERIFY(third != first);
        Save(form, Png(3, 10), 3); // taken without asking
        QVERIFY(test::ReadBytes(Archive()) != third);
        QVERIFY(messages_.texts.isEmpty());
        QCOMPARE(test::ReadBytes(*dir_ / "gfx.res.bak"), before); // every save kept the original

        Save(form, {'k', 'a', 'p', 'u', 't', 't'}, 3); // garbage: refused, named
        QCOMPARE(messages_.texts.size(), 1);
        QVERIFY(messages_.texts[0].contains(form.Edits().Pictures().front()));

        form.close(); // the watch ends with the window
        QVERIFY(!form.Edits().IsWatching());
    }

    void dropOnAFilteredItemAsksAndReplacesIt()
    {
        ui::Form1& form = OpenArchive();
        QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(form.txtfilter, "ZW");
        QCOMPARE(form.lblcount->text(), QString("1 von 4"));
        test::WriteBytes(*dir_ / "neu.png", Png(5, 255));
        const Bytes first = ItemGfp(Archive(), 0);

        emit form.lstitems->PictureDropped(form.lstitems->model()->index(0, 0), Q(*dir_ / "neu.png"));
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(questions_.texts.size(), 1);
        QVERIFY(questions_.texts[0].startsWith("Ersetzen?\n#2 zwei in gfx.res durch neu.png"));
        QVERIFY(questions_.texts[0].contains("Das neue Bild ist 5 × 1 groß, das alte 3 × 2"));
        QCOMPARE(ItemGfp(Archive(), 0), first);
        QVERIFY(ItemGfp(Archive(), 2) != test::PlainGfp(3, 2));
        QVERIFY(std::filesystem::exists(*dir_ / "gfx.res.bak"));
    }

    void filterKeepsNumberOrName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("count");
        QTest::newRow("none") << ""
                              << "4 von 4";
        QTest::newRow("name, any case") << "EI"
                                        << "3 von 4";
        QTest::newRow("number") << "#1"
                                << "1 von 4";
        QTest::newRow("nothing") << "xyz"
                                 << "0 von 4";
    }

    void filterKeepsNumberOrName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, count);
        ui::Form1& form = OpenArchive();
        form.txtfilter->setText(typed);
        QCOMPARE(form.lblcount->text(), count);
        QCOMPARE(form.ShownItemCount(), count.section(' ', 0, 0).toInt());
    }

    void dropOnTheConverter()
    {
        module_ = std::make_unique<Module1>();
        converter_ = std::make_unique<ui::Form2>(*module_, Q(dir_->path() / "sub"));
        converter_->setMessageSink(messages_.Sink());
        converter_->Form_Load();
        // A drop reaches the window that took the drag's entry.
        const auto drop = [this](const Path& file) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(Q(file))});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(converter_.get(), &enter);
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(converter_.get(), &dropped);
            return enter.isAccepted() && dropped.isAccepted();
        };
        QVERIFY(drop(*dir_ / "pic.gfp"));
        QVERIFY(converter_->opgra[1]->isChecked());
        QCOMPARE(converter_->File1[0]->FileName(), QString("pic.gfp"));
        QVERIFY(drop(Archive()));
        QVERIFY(converter_->Unpacker() != nullptr);
        QVERIFY(test::WaitForJob(converter_->Runner()));
        QCOMPARE(converter_->Unpacker()->ItemCount(), 4);
        QVERIFY(messages_.texts.isEmpty());
    }
};

QTEST_MAIN(EditTest)
#include "edit_test.moc"
