// Start-up: the one Module1, the converter window on the program folder.

#include "formats/module1.h"
#include "ui/form2.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    varnox::Module1 module;
    varnox::ui::Form2 converter(module, QCoreApplication::applicationDirPath());
    converter.Form_Load();
    converter.show();
    return app.exec();
}
