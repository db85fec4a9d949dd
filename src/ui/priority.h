// Priority indexes of the -pp and -pt options, mapped to the platform's values.
#ifndef QUORVEL_PRIORITY_H
#define QUORVEL_PRIORITY_H

#include <stdint.h>

// 0 idle, 1 normal, 2 high, 3 realtime (a priority class); out-of-range indexes clamp.
uint32_t ProcessPriorityClassFor(int32_t index);

// 0 idle, 1 lowest, 2 below normal, 3 normal, 4 above normal, 5 highest,
// 6 time critical (a thread priority); out-of-range indexes clamp.
int32_t ThreadPriorityFor(int32_t index);

#endif
