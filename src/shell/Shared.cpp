#include "Shared.h"

#include <memory>

namespace {
std::unique_ptr<SharedState>& instance()
{
    static std::unique_ptr<SharedState> s = std::make_unique<SharedState>();
    return s;
}
}  // namespace

SharedState& shared() { return *instance(); }

void resetShared() { instance() = std::make_unique<SharedState>(); }
