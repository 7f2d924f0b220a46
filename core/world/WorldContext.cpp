// The one process-wide world context.
#include "core/world/WorldContext.h"

CWorldContext& WorldContext()
{
    static CWorldContext context;
    return context;
}

void ResetWorldContext()
{
    WorldContext() = CWorldContext();
}
