// Reader input: the thread that takes the laser's decoded barcodes into the
// data path.
#pragma once

// Thread procedure, started once by the entry procedure. Returns 0 at once
// unless the reader is the laser; otherwise waits on EventSarnuEnd and
// "LZRScanningEvent" and returns 1 after EventSarnuEnd, or 0 when an event
// cannot be had (after an ownerless "LzrReadThread\r\nEvent\r\nERROR!" box).
int LzrReadThread();
