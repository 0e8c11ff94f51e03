// Bulk collection: every decoded barcode enters the data path here. Outside
// bulk mode it is announced and queued for typing; in bulk mode it must also
// pass the run's duplicate, type and length rules, is counted, drives the
// counter window and may end the run at its limit.
#pragma once

#include <cstdint>

#include "barcode.h"

class Settings;

// Admission of one barcode from the reader's edge, on the reading thread:
// its FNC1 characters as ReplaceFNC1 says, in bulk mode the run's rules,
// then the OutputQueue, the output thread's wake-up and the good read's
// signals. Returns 1 in every case; a refused barcode is dropped without a
// signal.
int AcceptBarcode(Barcode& barcode);

// Thread procedure, run detached when a bulk run ends: decides when its list
// is forgotten (at once for a short run, else after BulkScannedListClearAfter
// seconds unless the trigger is pressed again or the counter window's
// countdown does it). Returns 1, or 0 after an ownerless
// "ClearComparisonQueueThread\r\nEvent\r\nERROR!" box.
int ForgetBulkRunThread(uint32_t scansAtRunEnd);
void StartForgetBulkRunThread();

// A press that starts a bulk scan: the ended run's list is forgotten here
// when the press comes too late to continue it (a short run, or past
// BulkScannedListClearAfter seconds). Its clearing thread would do the
// same, but a press quicker than that thread's start would otherwise
// continue a run that was over.
void ForgetEndedRunAtPress(const Settings& settings);
