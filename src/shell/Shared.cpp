#include "Shared.h"

namespace {
// Never destroyed at exit: the connection inside must not outlive Qt's own registry of
// connections, which static destruction would take down first.
SharedState*& instance()
{
    static SharedState* s = new SharedState;
    return s;
}
}  // namespace

SharedState& shared() { return *instance(); }

void resetShared()
{
    delete instance();
    instance() = new SharedState;
}
