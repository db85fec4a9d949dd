// The build's date and time, as shown by Info. GCC takes them from
// SOURCE_DATE_EPOCH when it is set, which makes the build reproducible.
#include "ui/app_win32.h"

const char g_buildDate[] = __DATE__;
const char g_buildTime[] = __TIME__;
