#pragma once
// The screen benchmarks' main window: one simulated terminal as machine 1 on the first row,
// loaded and linked, so the screen under measure finds it as the operator would.

#include "support/WindowFixture.h"

namespace Bench {

inline void linkTerminal(WindowFixture& f, const QString& description, const SimState& state)
{
    f.addTerminal(1, description, state);
    f.load();
    if (!f.connectRow(1))
        qFatal("cannot reach the simulated terminal");
}

} // namespace Bench
