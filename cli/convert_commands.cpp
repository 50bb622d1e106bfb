#include "cli/commands.h"

namespace varnox::cli {

int RunGfp2Tga(const Args&)
{
    PrintError("gfp2tga: noch nicht verfügbar");
    return kExitUsage;
}

int RunTga2Gfp(const Args&)
{
    PrintError("tga2gfp: noch nicht verfügbar");
    return kExitUsage;
}

}  // namespace varnox::cli
