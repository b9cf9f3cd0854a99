#include "capture/step_timing_win.h"

#ifdef ZELCAP_BENCH_HOOKS

#include <cstdio>

#include "base/win_handles_win.h"

namespace step_timing {

namespace {

win::StdioFile OpenLog() {
    char log[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("ZELCAP_STEP_TIMING", log, sizeof log);
    if (n == 0 || n >= sizeof log)
        return win::StdioFile();
    return win::StdioFile(std::fopen(log, "ab"));
}

}  // namespace

bool Enabled() {
    return GetEnvironmentVariableA("ZELCAP_STEP_TIMING", nullptr, 0) > 0;
}

void LogStep(const StepShot& shot) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const double toFile =
        shot.pressToGrabMs + static_cast<double>(now.QuadPart - shot.grabbedAt.QuadPart) * 1000.0 /
                                 static_cast<double>(frequency.QuadPart);
    win::StdioFile file = OpenLog();
    if (file)
        std::fprintf(file.get(), "%d %.2f %.2f %.2f %ld %ld\n", shot.number, shot.pressToGrabMs,
                     shot.grabMs, toFile, shot.rect.right - shot.rect.left,
                     shot.rect.bottom - shot.rect.top);
}

void LogFloor(double floorMs) {
    win::StdioFile file = OpenLog();
    if (file)
        std::fprintf(file.get(), "floor %.2f %d %d\n", floorMs, GetSystemMetrics(SM_CXSCREEN),
                     GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace step_timing

#endif
