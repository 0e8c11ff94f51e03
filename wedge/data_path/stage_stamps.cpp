// The benchmark's stamp hook: null in the shipped wedge.
#include "stage_stamps.h"

void (*g_stageStampHook)(int stage) = nullptr;
