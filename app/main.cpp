// Start-up: the one Module1, German texts for Qt's own dialogs, the converter window on the
// folders used last (or the file or folder named on the command line).

#include "formats/module1.h"
#include "ui/form2.h"
#include "ui/startup.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("varnox"));
    QCoreApplication::setApplicationName(QStringLiteral("varnox"));
    // The windows speak German; Qt's file and folder choosers and standard buttons too.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    varnox::Module1 module;
    const QString programFolder = QCoreApplication::applicationDirPath();
    varnox::ui::Form2 converter(module, programFolder);
    converter.setFolderMemory(std::make_shared<varnox::ui::FolderMemory>(programFolder, QDir::homePath()));
    converter.Form_Load();
    converter.show();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    varnox::ui::OpenStartArgument(converter, varnox::ui::ReadStartArgument(arguments));
    return app.exec();
}
