#pragma once
// Where a window's message boxes go: a modal box with an OK button, or, in tests, a sink.

#include "jobs/convert.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QString>
#include <functional>
#include <type_traits>

class QFont;
class QLabel;
class QProgressBar;
class QWidget;

namespace varnox::ui {

// The one context of the catalogue, shared with the Qt-free code and varnox-cli:
// Varnox::tr("German text") is the text in the user's language.
class Varnox {
    Q_DECLARE_TR_FUNCTIONS(Varnox)
};

using MessageSink = std::function<void(const QString& text)>;

// What a message tells, for the icon of its box.
enum class MessageKind { Information, Warning, Critical };

// Shows text to the user: through sink when one is set, otherwise in a modal box over parent.
void ShowMessageBox(QWidget* parent, const MessageSink& sink, const QString& text,
                    MessageKind kind = MessageKind::Warning);

// Where a window's questions go; offerAll adds "Ja, alle" and "Abbrechen" to "Ja" and "Nein".
using QuestionSink = std::function<jobs::ReplaceAnswer(const QString& text, bool offerAll)>;

// Asks text: through sink when one is set, otherwise in a modal box over parent. Escape
// answers "Abbrechen", or "Nein" when only "Ja" and "Nein" are offered.
jobs::ReplaceAnswer AskQuestion(QWidget* parent, const QuestionSink& sink, const QString& text,
                                bool offerAll);

// Asks whether a change saved in the editor is taken: "Ja", "Nein" or "Immer für dieses Bild"
// (YesToAll); through sink as a question that offers all. Escape answers "Nein".
jobs::ReplaceAnswer AskEditQuestion(QWidget* parent, const QuestionSink& sink, const QString& text);

// "Wiederherstellen?" for file from file.bak, saying that the step can be undone.
QString RestoreQuestion(const QString& file);

// The text of a running job's bar: its percentage.
inline constexpr char16_t kRunningFormat[] = u"%p %";

// A job's bar before it starts: empty, without a percentage until the job tells one.
void StartBar(QProgressBar* bar);
// The bar at a job's end: text in place of a percentage; filled when the job ran to its end,
// else left where the job stopped.
void EndJobBar(QProgressBar* bar, const QString& text, bool full);

// Ctrl+Q closes window, F5 runs refresh (the lists read again).
void AddWindowKeys(QWidget* window, const std::function<void()>& refresh);

// The hourglass for as long as the object lives.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Shows text in a status label, shortened in the middle when it does not fit (the whole text
// is then its tool tip); with no text, shows the text given last again at the label's width.
void ShowStatus(QLabel* label, const QString& text);

// control with its object name and tool tip; a button does not become the default one by
// taking the focus.
template <class Control> Control* MakeControl(Control* control, const char* name, const QString& tip)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setToolTip(tip);
    if constexpr (std::is_base_of_v<QPushButton, Control>)
        control->setAutoDefault(false);
    return control;
}
void ShowStatus(QLabel* label);

// The font of both windows: small enough for captions to fit the fixed layout.
QFont WindowFont();

// The credit text after each window's title.
QString Credit();

} // namespace varnox::ui
