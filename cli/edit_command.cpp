// "edit": a picture out to the user's editor and, once saved changed, back in its place.

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/archive.h"
#include "jobs/edit.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace varnox::cli {

namespace {

// Runs argv and waits for it; the exit status (128 + signal for a killed program), or -1
// when it could not be started. Ctrl+C meanwhile goes to the program, not to varnox-cli.
int RunAndWait(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction oldInt {};
    struct sigaction oldQuit {};
    sigaction(SIGINT, &ignore, &oldInt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    const pid_t pid = fork();
    if (pid == 0) {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGQUIT, &oldQuit, nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    pid_t waited = pid;
    while (pid > 0 && (waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    if (pid < 0 || waited < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Shows prompt and waits for Enter; false when standard input is no terminal or ends, since
// then nobody can say that the picture is saved.
bool WaitForEnter(const std::string& prompt)
{
    if (isatty(STDIN_FILENO) == 0)
        return false;
    Put(stdout, prompt);
    int c = std::getchar();
    if (c == EOF)
        return false;
    while (c != '\n' && c != EOF)
        c = std::getchar();
    return true;
}

// Opens png in the user's editor and waits until the user is done: the command in
// VARNOX_EDITOR run through the shell with the path (as git runs $EDITOR) until it ends,
// else the desktop's program for PNG files, then Enter. The empty text when all went well.
Status EditInEditor(const Path& png)
{
    const char* editor = std::getenv("VARNOX_EDITOR");
    if (editor != nullptr && *editor != '\0') {
        const int code = RunAndWait({"/bin/sh", "-c", std::string(editor) + " \"$@\"", editor, png.string()});
        if (code == 0)
            return {};
        if (code < 0)
            return Error{JobError::EditorNotStarted, png, {}, {}};
        return Error{JobError::EditorFailed, png, {}, {}, {std::to_string(code)}};
    }
    if (RunAndWait({"xdg-open", png.string()}) != 0)
        return Error{JobError::PictureNotOpened, png, {}, {}};
    if (!WaitForEnter(
            TranslateWith(QT_TRANSLATE_NOOP("Varnox", "Geöffnet: %1\nNach dem Speichern Enter drücken … "),
                          {PathText(png)})))
        return Error{JobError::NoTerminal, png, {}, {}};
    return {};
}

// An unchanged picture after an editor that ended at once may be one the editor has not
// saved yet (a running instance took it): on a terminal the user says when it is saved;
// without one the picture stays, since its save may still come. True to look again.
bool AskAgainWhenUnchanged(const jobs::EditSession& session, jobs::EditFolder& folder, bool& asked)
{
    if (asked || IdentityOf(session.png) != session.pngWritten)
        return false;
    asked = true;
    const char* editor = std::getenv("VARNOX_EDITOR");
    if (editor == nullptr || *editor == '\0')
        return false; // Enter was pressed after the save already
    if (WaitForEnter(Translate(QT_TRANSLATE_NOOP(
            "Varnox", "Das Bild ist unverändert. Ist der Bildbearbeiter noch offen? Nach dem Speichern Enter "
                      "drücken … "))))
        return true;
    folder.Keep();
    return false;
}

// What was put back, for the line edit prints.
std::string DoneText(const jobs::EditSession& session, const jobs::EditResult& result)
{
    if (session.index < 0)
        return TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1 geändert (die alte Fassung ist %1.bak)"),
                             {PathText(session.source)}) +
               '\n';
    return ReplacedText(result.replaced) + '\n';
}

// Takes the saved picture back when it changed; the folder is kept when the user's work
// could not be taken.
int TakeBack(jobs::EditSession& session, GfpPacking packing, Verbosity verbosity, jobs::EditFolder& folder)
{
    jobs::EditCheck check = jobs::CheckEdit(session);
    for (bool asked = false; check.state == jobs::EditState::Unchanged && check.status.ok() &&
                             AskAgainWhenUnchanged(session, folder, asked);)
        check = jobs::CheckEdit(session);
    if (check.state == jobs::EditState::Unreadable || !check.status) {
        folder.Keep();
        PrintError(TranslateWith(
            QT_TRANSLATE_NOOP("Varnox", "%1; nichts übernommen; das bearbeitete Bild bleibt in %2"),
            {MessageText(check.status.error()), PathText(session.png)}));
        return kExitFailed;
    }
    if (check.state == jobs::EditState::Unchanged && folder.IsKept()) {
        PrintError(TranslateWith(
            QT_TRANSLATE_NOOP("Varnox",
                              "Das Bild ist unverändert (der Bildbearbeiter endete vielleicht vor dem "
                              "Speichern); nichts übernommen; das Bild bleibt in %1"),
            {PathText(session.png)}));
        return kExitFailed;
    }
    if (check.state == jobs::EditState::Unchanged) {
        if (verbosity != Verbosity::Quiet)
            Put(stdout,
                Translate(QT_TRANSLATE_NOOP("Varnox", "Das Bild ist unverändert; nichts geschrieben")) +
                    '\n');
        return kExitOk;
    }
    CommandProgress progress(verbosity, QT_TRANSLATE_NOOP("Varnox", "Zeilen"));
    const jobs::EditResult result = jobs::ApplyEdit(session, packing, progress.Job());
    progress.Clear();
    if (!result.status) {
        folder.Keep();
        PrintError(TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1; das bearbeitete Bild bleibt in %2"),
                                 {MessageText(result.status.error()), PathText(session.png)}));
        return Is(result.status, IoError::Cancelled) ? kExitInterrupted : kExitFailed;
    }
    if (verbosity != Verbosity::Quiet)
        Put(stdout, DoneText(session, result));
    return kExitOk;
}

} // namespace

int RunEdit(const ParsedArgs& call)
{
    const GfpPacking packing = PackingOf(call);
    const Args& names = call.operands;
    if (names.size() != 1 && names.size() != 2) {
        PrintError(UsageLine("edit"));
        return kExitUsage;
    }
    std::error_code error;
    const Path base = std::filesystem::temp_directory_path(error);
    jobs::EditFolder folder;
    if (auto status = folder.Make(error ? Path("/tmp") : base); !status) {
        PrintError(MessageText(status.error()));
        return kExitFailed;
    }
    jobs::EditStart start = names.size() == 2 ? jobs::StartItemEdit(Path(names[0]), names[1], folder.path())
                                              : jobs::StartGfpEdit(Path(names[0]), folder.path());
    if (!start.status) {
        PrintError(MessageText(start.status.error()));
        return kExitFailed;
    }
    if (const Status edited = EditInEditor(start.session.png); !edited) {
        folder.Keep();
        PrintError(TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1; nichts übernommen; das Bild bleibt in %2"),
                                 {Describe(edited.error()), PathText(start.session.png)}));
        return kExitFailed;
    }
    return TakeBack(start.session, packing, VerbosityOf(call), folder);
}

} // namespace varnox::cli
