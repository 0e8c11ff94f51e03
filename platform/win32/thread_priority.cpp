// CE thread priority levels mapped onto the desktop's relative levels.
#include "thread_priority.h"

#include <windows.h>

int DesktopThreadPriority(int ceLevel) {
  static const int kDesktop[8] = {
      THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST,      THREAD_PRIORITY_ABOVE_NORMAL,
      THREAD_PRIORITY_NORMAL,        THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_LOWEST,
      THREAD_PRIORITY_IDLE,          THREAD_PRIORITY_IDLE,
  };
  if (ceLevel < 0) ceLevel = 0;
  if (ceLevel > 7) ceLevel = 7;
  return kDesktop[ceLevel];
}

void SetThreadPriorityCe(int level) {
  SetThreadPriority(GetCurrentThread(), DesktopThreadPriority(level));
}
