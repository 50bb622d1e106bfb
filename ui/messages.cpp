#include "ui/messages.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

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

jobs::ReplaceAnswer AskQuestion(QWidget* parent, const QuestionSink& sink, const QString& text, bool offerAll)
{
    using jobs::ReplaceAnswer;
    if (sink)
        return sink(text, offerAll);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varnox"), text, QMessageBox::NoButton, parent);
    QAbstractButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
    QAbstractButton* no = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
    QAbstractButton* all =
        offerAll ? box.addButton(QStringLiteral("Ja, alle"), QMessageBox::YesRole) : nullptr;
    QAbstractButton* cancel =
        offerAll ? box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole) : nullptr;
    box.setEscapeButton(offerAll ? cancel : no);
    box.setDefaultButton(qobject_cast<QPushButton*>(no));
    box.exec();
    const QAbstractButton* chosen = box.clickedButton();
    if (chosen == yes)
        return ReplaceAnswer::Yes;
    if (chosen != nullptr && chosen == all)
        return ReplaceAnswer::YesToAll;
    if (chosen == no || !offerAll)
        return ReplaceAnswer::No;
    return ReplaceAnswer::Cancel;
}

void ShowStatus(QLabel* label, const QString& text)
{
    label->setProperty("statusText", text);
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

void ShowStatus(QLabel* label)
{
    ShowStatus(label, label->property("statusText").toString());
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
