// The desktop's monitors as the system reports them now, numbered as
// capture/monitor_layout.h says.
#pragma once

#include <windows.h>

#include "capture/monitor_layout.h"

// Never empty: when the monitors cannot be enumerated, the primary screen
// alone.
MonitorLayout ReadMonitorLayout();

// The number of the monitor under the pointer (MonitorFromPoint, the
// nearest one when the pointer is between monitors); 1 when it cannot be
// told.
int MonitorUnderPointer(const MonitorLayout& layout);
