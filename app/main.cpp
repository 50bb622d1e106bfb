// Start-up: the one Module1, the texts in the user's language (English or German, Qt's own
// dialogs too), the converter window on the folders used last (or the file or folder named
// on the command line).

#include "formats/module1.h"
#include "l10n/language.h"
#include "ui/editwatch.h"
#include "ui/form2.h"
#include "ui/startup.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

namespace {

// The icon of every window: the installed theme icon, else the copy built into the program,
// so that a window started from the build tree shows it too.
QIcon VarnoxIcon()
{
    QIcon builtIn;
    for (const int size : {48, 128, 256})
        builtIn.addFile(QStringLiteral(":/icons/varnox-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("varnox"), builtIn);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("varnox"));
    QCoreApplication::setApplicationName(QStringLiteral("varnox"));
    // The window list finds the desktop entry varnox.desktop, and with it the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("varnox"));
    QApplication::setWindowIcon(VarnoxIcon());
    const QString programFolder = QCoreApplication::applicationDirPath();
    varnox::l10n::UseLanguage(varnox::l10n::ChosenLanguage(), programFolder);

    varnox::Module1 module;
    varnox::ui::Form2 converter(module, programFolder);
    converter.setFolderMemory(std::make_shared<varnox::ui::FolderMemory>(programFolder, QDir::homePath()));
    converter.Form_Load();
    converter.show();
    // Pictures a killed run left in the editor's folders are offered; empty folders go.
    varnox::ui::OfferLeftEdits(&converter, {});
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    varnox::ui::OpenStartArgument(converter, varnox::ui::ReadStartArgument(arguments));
    return app.exec();
}
