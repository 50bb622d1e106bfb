// Where the windows start: the argument, the folders used last, the first start.

#include "tests/ui/ui_support.h"
#include "ui/dirlistbox.h"
#include "ui/filelistbox.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/startup.h"

#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

using namespace varnox;
using test::Q;

class StartupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Module1> module_;
    std::unique_ptr<ui::Form2> form_;
    test::Messages messages_;

    QString Program() const { return Q(dir_->path() / "bin"); }
    QString Home() const { return Q(dir_->path() / "home"); }

    // The converter window as main() opens it, remembering its folders.
    ui::Form2& Start()
    {
        form_.reset();
        module_ = std::make_unique<Module1>();
        form_ = std::make_unique<ui::Form2>(*module_, Program());
        form_->setMessageSink(messages_.Sink());
        form_->setFolderMemory(std::make_shared<ui::FolderMemory>(Program(), Home()));
        form_->Form_Load();
        return *form_;
    }

  private slots:
    void initTestCase()
    {
        // Never the user's own settings.
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("varnox-test"));
        QCoreApplication::setApplicationName(QStringLiteral("startup_test"));
    }

    void init()
    {
        QSettings().clear();
        dir_ = std::make_unique<test::TempDir>();
        for (const char* folder : {"bin", "home", "work"})
            test::MakeFolder(dir_->path() / folder);
        test::WriteBytes(dir_->path() / "bin" / "varnox", {1});
        test::WriteBytes(dir_->path() / "work" / "x.res", test::MakeRes({{14, "eins", test::MakeGfp()}}));
        test::WriteBytes(dir_->path() / "work" / "b.gfp", test::MakeGfp());
        test::WriteBytes(dir_->path() / "work" / "c.png", {1});
        messages_.texts.clear();
    }

    void cleanup()
    {
        form_.reset();
        test::RunDeferredDeletes();
        QSettings().clear();
    }

    // The first start: the program folder when it holds work, else home; never a folder
    // with the program alone (/usr/bin) nor one that is gone.
    void firstStart_data()
    {
        QTest::addColumn<QString>("demo"); // a file put beside the program
        QTest::addColumn<bool>("atProgram");
        QTest::newRow("build tree with demo files") << "demo.res" << true;
        QTest::newRow("build tree, upper case") << "DEMO.TGA" << true;
        QTest::newRow("installed") << "" << false;
        QTest::newRow("installed, other files") << "varnox-cli" << false;
    }

    void firstStart()
    {
        QFETCH(QString, demo);
        QFETCH(bool, atProgram);
        if (!demo.isEmpty())
            test::WriteBytes(dir_->path() / "bin" / demo.toStdString(), {1});
        ui::Form2& form = Start();
        const QString expected = atProgram ? Program() : Home();
        for (int i = 0; i < 2; ++i)
            QCOMPARE(form.File1[i]->path(), expected);
        form.Command1_Click();
        QCOMPARE(form.Unpacker()->Dir1->path(), expected);
        QVERIFY(messages_.texts.isEmpty());
    }

    // Each list comes back on the folder it was left in, saved as it changed; a folder gone
    // since falls back like a first start.
    void rememberedFolders_data()
    {
        QTest::addColumn<bool>("vanished");
        QTest::newRow("still there") << false;
        QTest::newRow("vanished") << true;
    }

    void rememberedFolders()
    {
        QFETCH(bool, vanished);
        const Path work = dir_->path() / "work";
        const Path other = dir_->path() / "other";
        test::MakeFolder(other);
        ui::Form2& form = Start();
        form.Dir1[0]->setPath(Q(work));
        form.Dir1[1]->setPath(Q(other));
        form.Command1_Click();
        form.Unpacker()->Dir1->setPath(Q(work));
        if (vanished)
            std::filesystem::remove_all(work);

        ui::Form2& again = Start(); // a new run: nothing but the settings carries over
        QCOMPARE(again.File1[0]->path(), vanished ? Home() : Q(work));
        QCOMPARE(again.File1[1]->path(), Q(other));
        again.Command1_Click();
        QCOMPARE(again.Unpacker()->filFile->path(), vanished ? Home() : Q(work));
    }

    void startArgument_data()
    {
        QTest::addColumn<QString>("argument"); // below the test folder
        QTest::addColumn<int>("mode");         // the converter's direction
        QTest::addColumn<QString>("selected"); // in the converter's source list
        QTest::addColumn<QString>("archive");  // clicked in the unpacker window
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("told"); // how the message begins
        QTest::newRow("folder") << "work" << 0 << ""
                                << "" << 0 << QString("");
        QTest::newRow("archive") << "work/x.res" << 0 << ""
                                 << "x.res" << 0 << QString("");
        QTest::newRow("GFP") << "work/b.gfp" << 1 << "b.gfp"
                             << "" << 0 << QString("");
        QTest::newRow("PNG") << "work/c.png" << 0 << "c.png"
                             << "" << 0 << QString("");
        QTest::newRow("missing file") << "work/nichts.gfp" << 0 << ""
                                      << "" << 1 << QString("Den Pfad gibt es nicht: ");
        QTest::newRow("other file") << "bin/varnox" << 0 << ""
                                    << "" << 1 << QString("Kein Ordner, kein Archiv");
    }

    void startArgument()
    {
        QFETCH(QString, argument);
        QFETCH(int, mode);
        QFETCH(QString, selected);
        QFETCH(QString, archive);
        QFETCH(int, messages);
        QFETCH(QString, told);
        ui::Form2& form = Start();
        const QString path = Q(dir_->path()) + '/' + argument;
        ui::OpenStartArgument(form, ui::ReadStartArgument({path}));
        QVERIFY(test::WaitForJob(form.Runner()));

        const QString work = Q(dir_->path() / "work");
        const bool converterMoved = messages == 0 && archive.isEmpty();
        QCOMPARE(form.File1[0]->path(), converterMoved ? work : Home());
        QVERIFY(form.opgra[mode]->isChecked());
        QCOMPARE(form.File1[0]->FileName(), selected);
        QCOMPARE(form.Unpacker() != nullptr, !archive.isEmpty());
        if (!archive.isEmpty()) {
            QCOMPARE(form.Unpacker()->filFile->path(), work);
            QCOMPARE(form.Unpacker()->filFile->FileName(), archive);
            QCOMPARE(form.Unpacker()->ItemCount(), 1);
            QVERIFY(form.Unpacker()->txtinfo->toPlainText().startsWith("Gültige RES-File"));
        }
        QCOMPARE(messages_.texts.size(), messages);
        QVERIFY(messages_.texts.value(0, QString("")).startsWith(told));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
