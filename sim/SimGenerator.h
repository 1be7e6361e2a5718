#pragma once
// Made-up terminals: a large one for benchmarks, and the three demo terminals.

#include "SimState.h"

#include <QDate>

namespace SimGenerator {

// A terminal holding `punches` attendance records: `users` users (numbers 1 up) punching
// in and out on working days from 1 January 2024 on, in time order; each user with
// `templatesPerUser` fingerprint templates (fingers 0 up, at most 10), and `operations`
// operation-log records.
SimState bulk(int punches, int machine = 1, int users = 100, int templatesPerUser = 0,
              int operations = 0);

// The demo terminal `machine` (1 "Front Gate", 2 "Warehouse", 3 "Back Office"): users 1 to
// 20 with cards and fingerprint templates, two weeks of punches up to `today`, and an
// operation log.
SimState demo(int machine, const QDate& today);

} // namespace SimGenerator
