// Thread priorities on the CE scale, so that the wedge's threads state one
// number wherever they run.
#pragma once

// Sets the calling thread's priority from a CE level, 0 highest, 3 normal,
// 7 lowest. On the desktop the levels map onto the seven relative levels:
//   0 TIME_CRITICAL  1 HIGHEST  2 ABOVE_NORMAL  3 NORMAL
//   4 BELOW_NORMAL   5 LOWEST   6 and 7 IDLE
// Levels outside 0..7 are taken as the nearest end.
void SetThreadPriorityCe(int level);

// The desktop level that SetThreadPriorityCe gives for a CE level (the
// desktop stand-in only; the terminal takes the level itself).
int DesktopThreadPriority(int ceLevel);
