// The terminal takes the CE levels as they are.
#include "thread_priority.h"

#include <windows.h>

void SetThreadPriorityCe(int level) {
  if (level < 0) level = 0;
  if (level > 7) level = 7;
  SetThreadPriority(GetCurrentThread(), level);
}
