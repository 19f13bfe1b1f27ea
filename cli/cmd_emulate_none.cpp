// t880 emulate where there are no pseudo-terminals (Windows): the virtual
// radio is not part of this build.
#include "cli/command.h"

namespace t880::cli {

int runEmulate(const QStringList &, Context &ctx)
{
    return fail(ctx,
                QStringLiteral("emulate: the virtual radio needs a pseudo-terminal, which this "
                               "system does not have; run it on Linux and connect through a "
                               "serial port"),
                ExitUsage);
}

} // namespace t880::cli
