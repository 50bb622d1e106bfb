#pragma once
// Helpers of the window tests: captured messages, paths as Qt text, a folder of test files.

#include "formats/fileio.h"
#include "tests/support/builders.h"
#include "ui/folders.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStringList>

namespace varnox::test {

// Collects the messages a window would have shown in a box.
struct Messages {
    QStringList texts;
    ui::MessageSink Sink()
    {
        return [this](const QString& text) { texts.append(text); };
    }
};

inline QString Q(const Path& path)
{
    return ui::ToQString(path);
}

inline void MakeFolder(const Path& path)
{
    std::filesystem::create_directories(path);
}

// Runs the deletions that closed windows asked for.
inline void RunDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace varnox::test
