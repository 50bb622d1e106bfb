// The unpacker as an archive browser: the path field and hidden folders, "Öffnen…", the
// sorted item list with its type filter, the context menu, the byte view, the folder dialog's
// button, the questions' access keys, and pictures left in the editor.

#include "tests/support/tga_builder.h"
#include "tests/ui/ui_support.h"
#include "ui/dirlistbox.h"
#include "ui/editwatch.h"
#include "ui/filelistbox.h"
#include "ui/form1.h"
#include "ui/pathbox.h"
#include "ui/startup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace varnox;
using test::Q;
using ui::Form1;

namespace {

// Names, types and sizes that sort differently by each column.
Bytes Archive()
{
    return test::MakeRes({{14, "eins", test::PlainGfp(2, 2)},
                          {16, "klang", {1, 2, 3}},
                          {14, "Zwei", test::PlainGfp(3, 2)},
                          {99, "roh", {'a', 'b', 0}},
                          {14, "drei", test::PlainGfp(4, 2)}});
}

// The names the list shows, top to bottom.
QStringList ShownNames(const Form1& form)
{
    QStringList names;
    const QAbstractItemModel* items = form.lstitems->model();
    for (int row = 0; row < items->rowCount(); ++row)
        names.append(items->index(row, 1).data().toString());
    return names;
}

// Runs act once the next modal dialog is up (polled, at most a minute).
void WhenModal(const std::function<void(QWidget*)>& act)
{
    auto* poll = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && started->elapsed() < 60000)
            return;
        poll->stop();
        poll->deleteLater();
        delete started;
        if (modal != nullptr)
            act(modal);
    });
    poll->start(20);
}

} // namespace

class BrowseTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Module1> module_;
    QPointer<Form1> form_;
    test::Messages messages_;
    test::Questions questions_;
    std::shared_ptr<ui::FolderMemory> memory_;
    QString chosen_; // what the file and folder choosers answer

    Form1& Open()
    {
        module_ = std::make_unique<Module1>();
        form_ = new Form1(*module_, Q(dir_->path()));
        form_->setMessageSink(messages_.Sink());
        form_->setQuestionSink(questions_.Sink());
        form_->setFileChooser([this](const QString&, const QString&, const QString&) { return chosen_; });
        form_->setFolderMemory(memory_);
        form_->Form_Load();
        form_->show();
        form_->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(form_)); }();
        return *form_;
    }

    // The unpacker with gfx.res clicked.
    Form1& OpenArchive()
    {
        Form1& form = Open();
        form.OpenArchive(Q(*dir_ / "gfx.res"));
        [&] { QVERIFY(test::WaitForJob(form.Runner())); }();
        return form;
    }

  private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("varnox-test"));
        QCoreApplication::setApplicationName(QStringLiteral("browse_test"));
    }

    void init()
    {
        QSettings().clear();
        dir_ = std::make_unique<test::TempDir>();
        messages_ = {};
        questions_ = {};
        chosen_.clear();
        test::WriteBytes(*dir_ / "gfx.res", Archive());
        test::MakeFolder(*dir_ / ".steam" / "common");
        test::WriteBytes(*dir_ / ".steam" / "common" / "game.res", Archive());
        memory_ = std::make_shared<ui::FolderMemory>(Q(dir_->path()), Q(dir_->path()));
    }

    void cleanup()
    {
        delete form_.data();
        test::RunDeferredDeletes();
        dir_.reset();
    }

    void sortAndTypeFilter_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("type"); // index in the type combo
        QTest::addColumn<QStringList>("names");
        QTest::newRow("archive order") << -1 << 0 << QStringList{"eins", "klang", "Zwei", "roh", "drei"};
        QTest::newRow("by name, case ignored")
            << 1 << 0 << QStringList{"drei", "eins", "klang", "roh", "Zwei"};
        QTest::newRow("by type") << 2 << 0 << QStringList{"eins", "Zwei", "drei", "klang", "roh"};
        QTest::newRow("pictures by size") << 4 << 1 << QStringList{"eins", "Zwei", "drei"};
        QTest::newRow("sounds") << 0 << 2 << QStringList{"klang"};
        QTest::newRow("other types") << 0 << 5 << QStringList{"roh"};
    }

    void sortAndTypeFilter()
    {
        QFETCH(int, column);
        QFETCH(int, type);
        QFETCH(QStringList, names);
        Form1& form = OpenArchive();
        form.cbotype->setCurrentIndex(type);
        form.lstitems->sortByColumn(column, Qt::AscendingOrder);
        QCOMPARE(ShownNames(form), names);
        QCOMPARE(form.lblcount->text(), QString("%1 von 5").arg(names.size()));
    }

    void contextMenu_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("picture") << 0
                                 << QStringList{"actpreview", "actedit", "actreplace", "actsavepng",
                                                "actextract"};
        QTest::newRow("sound") << 1 << QStringList{"actpreview", "actextract"};
    }

    void contextMenu()
    {
        QFETCH(int, row);
        QFETCH(QStringList, enabled);
        Form1& form = OpenArchive();
        test::SelectItem(form, row);
        std::unique_ptr<QMenu> menu(form.MakeItemMenu());
        QStringList on;
        for (const QAction* action : menu->actions())
            if (action->isEnabled())
                on.append(action->objectName());
        QCOMPARE(on, enabled);
    }

    // "Entpacken…" writes the selected picture with its PNG; "Als PNG speichern…" the PNG alone.
    void contextMenuWritesFiles()
    {
        Form1& form = OpenArchive();
        const Path out = *dir_ / "out";
        form.setFolderChooser([&](const QString&, const QString&) { return Q(out); });
        form.chkpng->setChecked(true);
        test::SelectItem(form, 4);
        std::unique_ptr<QMenu> menu(form.MakeItemMenu());
        menu->findChild<QAction*>("actextract")->trigger();
        QVERIFY(test::WaitForJob(form.Runner()));
        QVERIFY(std::filesystem::exists(out / "drei.gfp"));
        QVERIFY(std::filesystem::exists(out / "drei.png"));
        std::filesystem::remove(out / "drei.png");
        menu->findChild<QAction*>("actsavepng")->trigger();
        QVERIFY(std::filesystem::exists(out / "drei.png"));
        QCOMPARE(questions_.texts.size(), 0);
        menu->findChild<QAction*>("actsavepng")->trigger(); // now it is there: asked first
        QCOMPARE(questions_.texts.size(), 1);
        QCOMPARE(messages_.texts, QStringList());
    }

    void byteViewOfOtherItems()
    {
        Form1& form = OpenArchive();
        test::SelectItem(form, 3);
        QVERIFY(form.txtbytes->isVisibleTo(&form));
        QCOMPARE(form.txtbytes->toPlainText().section(u'\n', 0, 0),
                 QString("00000000  61 62 00") + QString(13 * 3, u' ') + "  ab.");
        test::SelectItem(form, 0);
        QVERIFY(!form.txtbytes->isVisibleTo(&form));
    }

    // A hidden folder typed into the path field is listed; Ctrl+H shows hidden folders and
    // is remembered.
    void pathFieldAndHiddenFolders()
    {
        Form1& form = Open();
        QVERIFY(!form.Dir1->ShowHidden());
        form.txtpath->lineEdit()->setText(Q(dir_->path()) + "/.steam/common");
        QTest::keyClick(form.txtpath->lineEdit(), Qt::Key_Return);
        QCOMPARE(form.Dir1->path(), Q(*dir_ / ".steam" / "common"));
        QCOMPARE(form.filFile->FileNames(), QStringList{"game.res"});
        QCOMPARE(form.txtpath->currentText(), Q(*dir_ / ".steam" / "common"));
        form.txtpath->lineEdit()->setText("~/../nowhere-" + QString::number(::getpid()));
        QTest::keyClick(form.txtpath->lineEdit(), Qt::Key_Return);
        QCOMPARE(messages_.texts.size(), 1);
        QCOMPARE(form.Dir1->path(), Q(*dir_ / ".steam" / "common"));

        form.Dir1->setPath(Q(dir_->path()));
        const auto listed = [&] {
            QStringList names;
            for (int row = 0; row < form.Dir1->count(); ++row)
                names.append(form.Dir1->EntryPath(row));
            return names.contains(Q(*dir_ / ".steam"));
        };
        QVERIFY(!listed());
        QTest::keySequence(&form, QKeySequence(Qt::CTRL | Qt::Key_H));
        QVERIFY(form.chkhidden->isChecked());
        QVERIFY(listed());
        QVERIFY(memory_->ShowHidden());
        QVERIFY(memory_->RecentFolders().contains(Q(*dir_ / ".steam" / "common")));
    }

    void openArchiveThroughTheDialog()
    {
        Form1& form = Open();
        chosen_ = Q(*dir_ / ".steam" / "common" / "game.res");
        QTest::keySequence(&form, QKeySequence::Open);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(form.filFile->path(), Q(*dir_ / ".steam" / "common"));
        QCOMPARE(form.ItemCount(), 5);
    }

    // The proposed folder does not exist yet: the dialog's "Entpacken" button takes it.
    void folderDialogButtonTakesTheProposedFolder()
    {
        Form1& form = OpenArchive();
        bool enabled = false;
        WhenModal([&](QWidget* dialog) {
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QAbstractButton* accept = nullptr;
            for (QAbstractButton* button : buttons->buttons())
                if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    accept = button;
            QTest::qWait(200); // the dialog's own check of its button has run
            enabled = accept != nullptr && accept->isEnabled();
            if (enabled)
                accept->click();
            else
                static_cast<QDialog*>(dialog)->reject();
        });
        form.btnextractall->click();
        QVERIFY(enabled);
        QVERIFY(test::WaitForJob(form.Runner()));
        QVERIFY(std::filesystem::exists(*dir_ / "gfx" / "archive.txt"));
    }

    void questionsHaveAccessKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        QTest::newRow("Alt+J") << int(Qt::Key_J) << int(jobs::ReplaceAnswer::Yes);
        QTest::newRow("Alt+N") << int(Qt::Key_N) << int(jobs::ReplaceAnswer::No);
    }

    void questionsHaveAccessKeys()
    {
        QFETCH(int, key);
        QFETCH(int, answer);
        QWidget parent;
        WhenModal([key](QWidget* box) { QTest::keyClick(box, Qt::Key(key), Qt::AltModifier); });
        QCOMPARE(int(ui::AskQuestion(&parent, {}, "?", false)), answer);
    }

    // "Ersetzen…" with a picture of another size says so, as a drop on the row does.
    void replaceTellsAnotherSize()
    {
        Form1& form = OpenArchive();
        test::WriteBytes(
            *dir_ / "gross.tga",
            test::MakeTga(test::TgaSpec{.width = 5, .height = 1, .picture = std::vector<test::Bgra>(5)}));
        chosen_ = Q(*dir_ / "gross.tga");
        questions_.answers = {jobs::ReplaceAnswer::No};
        test::SelectItem(form, 0);
        form.btnreplace->click();
        QCOMPARE(questions_.texts.size(), 1);
        QVERIFY(questions_.texts[0].contains("Das neue Bild ist"));
    }

    // Folders of runs that ended: empty ones go, ones with pictures are found, one a running
    // program holds is not touched.
    void leftEditFolders()
    {
        const Path base = *dir_ / "tmp";
        for (const char* name : {"varnox-edit-empty1", "varnox-edit-kept01", "varnox-edit-held01", "other"})
            test::MakeFolder(base / name);
        test::WriteBytes(base / "varnox-edit-kept01" / "bild.png", {1});
        test::WriteBytes(base / "varnox-edit-held01" / "bild.png", {1});
        const int held = ::open((base / "varnox-edit-held01").c_str(), O_RDONLY | O_DIRECTORY);
        QVERIFY(held >= 0 && ::flock(held, LOCK_SH) == 0);
        QCOMPARE(ui::FindLeftEdits(Q(base)), QStringList{Q(base / "varnox-edit-kept01")});
        ::close(held);
        QVERIFY(!std::filesystem::exists(base / "varnox-edit-empty1"));
        QVERIFY(std::filesystem::exists(base / "other"));
    }

    // Rows drag out as files: the items as extract writes them, or pictures as PNG.
    void dragOutGivesFiles_data()
    {
        QTest::addColumn<bool>("png");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("GFP") << false << QStringList{"eins.gfp", "klang.sound"};
        QTest::newRow("PNG") << true << QStringList{"eins.png", "klang.sound"};
    }

    void dragOutGivesFiles()
    {
        QFETCH(bool, png);
        QFETCH(QStringList, names);
        Form1& form = OpenArchive();
        form.chkpng->setChecked(png);
        const QModelIndex first = form.lstitems->model()->index(0, 0);
        QVERIFY(form.lstitems->model()->flags(first) & Qt::ItemIsDragEnabled);
        form.lstitems->selectionModel()->select(QItemSelection(first, form.lstitems->model()->index(1, 0)),
                                                QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
        QStringList dragged;
        for (const QUrl& url : form.lstitems->DragUrls()) {
            QVERIFY(QFileInfo(url.toLocalFile()).isFile());
            dragged.append(url.fileName());
        }
        dragged.sort();
        QCOMPARE(dragged, names);
        QVERIFY(form.lstitems->toolTip().contains(png ? "als PNG" : "als GFP"));
    }
};

QTEST_MAIN(BrowseTest)
#include "browse_test.moc"
