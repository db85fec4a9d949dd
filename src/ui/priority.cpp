#include "ui/priority.h"

// IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS, REALTIME_PRIORITY_CLASS.
static const uint32_t kProcessClasses[] = {0x40, 0x20, 0x80, 0x100};

// THREAD_PRIORITY_IDLE, _LOWEST, _BELOW_NORMAL, _NORMAL, _ABOVE_NORMAL, _HIGHEST, _TIME_CRITICAL.
static const int32_t kThreadPriorities[] = {-15, -2, -1, 0, 1, 2, 15};

static int32_t ClampIndex(int32_t index, int32_t last) {
    return index < 0 ? 0 : index > last ? last : index;
}

uint32_t ProcessPriorityClassFor(int32_t index) {
    return kProcessClasses[ClampIndex(index, 3)];
}

int32_t ThreadPriorityFor(int32_t index) {
    return kThreadPriorities[ClampIndex(index, 6)];
}
