#include "ui/messages.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

namespace varnox::ui {

void ShowMessageBox(QWidget* parent, const MessageSink& sink, const QString& text)
{
    if (sink) {
        sink(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Varnox"), text, QMessageBox::Ok, parent);
    box.exec();
}

QFont WindowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return font;
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace varnox::ui
