// The wedge's short-lived threads (a good read's signals, an LED flash, a
// bulk run's forget timer, an imager decode) and those started only when a
// setting asks (the bulk toggle's listener, the scan log's writer): nobody
// joins them one by one, but the wedge's exit waits for all of them before
// it frees what they read.
#pragma once

#include <cstdint>

typedef int (*ShortThreadProcedure)(void* argument);

// Starts a thread that the exit waits for. False when it could not start.
bool StartShortThread(ShortThreadProcedure procedure, void* argument = nullptr);

// Waits until every such thread has ended, at most `boundMs`. False when
// some still run then.
bool WaitForShortThreads(uint32_t boundMs);
