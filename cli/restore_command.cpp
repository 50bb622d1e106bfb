// "restore": a file put back from its .bak, the current file becoming the .bak.

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/output.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/restore.h"

namespace varnox::cli {

int RunRestore(const ParsedArgs& call)
{
    const Args& args = call.operands;
    if (args.size() != 1) {
        PrintError(UsageLine("restore"));
        return kExitUsage;
    }
    const Path file(args[0]);
    if (const Status restored = jobs::RestoreBackup(file); !restored) {
        PrintError(MessageText(restored.error()));
        return kExitFailed;
    }
    Put(stdout, TranslateWith(QT_TRANSLATE_NOOP(
                                  "Varnox", "%1 wiederhergestellt (die ersetzte Fassung ist jetzt %1.bak)"),
                              {PathText(file)}) +
                    '\n');
    return kExitOk;
}

} // namespace varnox::cli
