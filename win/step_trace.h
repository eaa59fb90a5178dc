#pragma once
// Where the time of a start (or any other stretch of work) goes: with the
// environment variable ZV_STEP_TRACE naming a file, every TraceStep appends
// one line "<ms> <step>" to it, <ms> being the performance counter in
// milliseconds (one clock for every process of the machine, so a program
// that starts this one can set the lines beside its own observations).
// Unset, a step costs one test of a flag. Nothing else is ever written.
#include <string_view>

namespace zv::win {

void TraceStep(std::string_view step) noexcept;

// The performance counter in milliseconds, the clock of the lines.
double TraceClockMs() noexcept;

}  // namespace zv::win
