#pragma once
// One machine-readable line per figure, collected into a table by bench/run-all.sh:
//   RESULT <key> <value> <unit> goal <op> <number>

#include <cstdio>

namespace tolvane::bench {

inline void result(const char* key, double value, const char* unit, const char* op, double goal) {
    std::printf("RESULT %s %.3f %s goal %s %g\n", key, value, unit, op, goal);
    std::fflush(stdout);
}

} // namespace tolvane::bench
