#include "ui/messages.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace varnox::ui {

void ShowMessageBox(QWidget* parent, const MessageSink& sink, const QString& text, MessageKind kind)
{
    if (sink) {
        sink(text);
        return;
    }
    const QMessageBox::Icon icon = kind == MessageKind::Information ? QMessageBox::Information
                                   : kind == MessageKind::Warning   ? QMessageBox::Warning
                                                                    : QMessageBox::Critical;
    QMessageBox box(icon, QStringLiteral("Varnox"), text, QMessageBox::Ok, parent);
    box.exec();
}

QString RestoreQuestion(const QString& file)
{
    const QString name = QFileInfo(file).fileName();
    return Varnox::tr("%1 aus %1.bak wiederherstellen?\n\nDie jetzige Fassung wird dabei zu %1.bak; "
                      "ein zweites Wiederherstellen macht den Schritt rückgängig.")
        .arg(name);
}

void StartBar(QProgressBar* bar)
{
    bar->reset();
    bar->setFormat(QString::fromUtf16(kRunningFormat));
    bar->setTextVisible(true);
}

void EndJobBar(QProgressBar* bar, const QString& text, bool full)
{
    if (bar->maximum() == 0)
        bar->setRange(0, 1000);
    if (full)
        bar->setValue(bar->maximum());
    else if (bar->value() < bar->minimum())
        bar->setValue(bar->minimum());
    bar->setFormat(text);
    bar->setTextVisible(true);
}

void AddWindowKeys(QWidget* window, const std::function<void()>& refresh)
{
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    QObject::connect(quit, &QShortcut::activated, window, &QWidget::close);
    auto* reread = new QShortcut(QKeySequence(Qt::Key_F5), window);
    QObject::connect(reread, &QShortcut::activated, window, refresh);
}

jobs::ReplaceAnswer AskQuestion(QWidget* parent, const QuestionSink& sink, const QString& text, bool offerAll)
{
    using jobs::ReplaceAnswer;
    if (sink)
        return sink(text, offerAll);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varnox"), text, QMessageBox::NoButton, parent);
    QAbstractButton* yes = box.addButton(Varnox::tr("&Ja"), QMessageBox::YesRole);
    QAbstractButton* no = box.addButton(Varnox::tr("&Nein"), QMessageBox::NoRole);
    QAbstractButton* all = offerAll ? box.addButton(Varnox::tr("Ja, &alle"), QMessageBox::YesRole) : nullptr;
    QAbstractButton* cancel =
        offerAll ? box.addButton(Varnox::tr("A&bbrechen"), QMessageBox::RejectRole) : nullptr;
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

jobs::ReplaceAnswer AskEditQuestion(QWidget* parent, const QuestionSink& sink, const QString& text)
{
    using jobs::ReplaceAnswer;
    if (sink)
        return sink(text, true);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varnox"), text, QMessageBox::NoButton, parent);
    QAbstractButton* yes = box.addButton(Varnox::tr("&Ja"), QMessageBox::YesRole);
    QAbstractButton* no = box.addButton(Varnox::tr("&Nein"), QMessageBox::NoRole);
    QAbstractButton* always = box.addButton(Varnox::tr("&Immer für dieses Bild"), QMessageBox::YesRole);
    box.setEscapeButton(no);
    box.setDefaultButton(qobject_cast<QPushButton*>(yes));
    box.exec();
    const QAbstractButton* chosen = box.clickedButton();
    if (chosen == yes)
        return ReplaceAnswer::Yes;
    return chosen == always ? ReplaceAnswer::YesToAll : ReplaceAnswer::No;
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

QString Credit()
{
    return Varnox::tr(" – Werkzeug für Modder");
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
