// The windows in the user's language. CTest runs this program twice: under LANGUAGE=en,
// where every text checked must be English, and under the C locale, where it must be
// German as it stands. Each run takes the language its locale chooses, as varnox does.

#include "l10n/language.h"
#include "tests/support/tga_builder.h"
#include "tests/ui/ui_support.h"
#include "ui/filelistbox.h"
#include "ui/form2.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

using namespace varnox;
using ui::Form2;

class LanguageTest : public QObject {
    Q_OBJECT

    bool english_ = false;

    QString Expected(const char* german, const char* english) const
    {
        return QString::fromUtf8(english_ ? english : german);
    }

  private slots:
    void initTestCase()
    {
        english_ = l10n::ChosenLanguage() == l10n::Language::English;
        QVERIFY(l10n::UseLanguage(l10n::ChosenLanguage(), QCoreApplication::applicationDirPath()));
    }

    void textsOfTheConverter()
    {
        test::TempDir dir;
        test::TgaSpec tga;
        tga.picture = test::PatternPicture(2, 2);
        test::WriteBytes(dir / "a.tga", test::MakeTga(tga));
        test::WriteBytes(dir / "bad.gfp", {'x', 'y'});
        Module1 module;
        test::Messages messages;
        Form2 form(module, test::Q(dir.path()));
        form.setMessageSink(messages.Sink());
        form.Form_Load();
        QCOMPARE(form.btnrestore->text(), Expected("&Wiederherstellen", "&Restore"));
        QVERIFY(form.windowTitle().endsWith(Expected(" – Werkzeug für Modder", " – a tool for modders")));
        QCOMPARE(form.Label1->text(), Expected("&Quelldatei: ", "S&ource file: "));

        // A message of the window, and a refusal whose reason the Qt-free code gives.
        QTest::mouseClick(form.btnconvert, Qt::LeftButton);
        QCOMPARE(messages.texts, QStringList({Expected("Bitte eine Quell- und Zieldatei auswählen",
                                                       "Please choose a source and a target file")}));
        messages.texts.clear();
        form.File1[0]->setListIndex(0);
        form.File1[1]->setListIndex(0);
        QTest::mouseClick(form.btnconvert, Qt::LeftButton);
        QVERIFY(test::WaitForJob(form.Runner()));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts[0].endsWith(Expected("Die Datei beginnt nicht mit \"NALP\"",
                                                     "The file does not begin with \"NALP\"")),
                 qPrintable(messages.texts[0]));
    }

    // Qt's own dialogs and buttons speak the same language.
    void textsOfQt()
    {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(u'&'), Expected("Abbrechen", "Cancel"));
    }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
