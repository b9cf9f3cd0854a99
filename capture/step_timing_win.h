// The step benchmark's log (make bench-steps), in benchmark builds only: the
// program Zelcap ships reads no environment variable and writes no log.
#pragma once

#ifdef ZELCAP_BENCH_HOOKS

#include "capture/step_recorder_win.h"

namespace step_timing {

// True when ZELCAP_STEP_TIMING names the log file.
bool Enabled();
// One line per step: the milliseconds from the press to the pixels taken,
// within the hook, and to the file written.
void LogStep(const StepShot& shot);
// The floor of a step's time: the recorder's bare grab of the whole screen,
// with no hook, no queue and no file.
void LogFloor(double floorMs);

}  // namespace step_timing

#endif
