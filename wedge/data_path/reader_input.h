// Reader input: how the reader's barcodes enter the data path. The laser's
// are taken on LzrReadThread, the imager's on the short ImagerReadThread that
// decodes them, and each thread makes the barcode value and hands it to
// admission (AcceptBarcode). When the reader scans is the trigger rules'
// business, and the reader object, scans started and stopped included, is
// ScanDevice's; both are the wedge's process code, above.
#pragma once

#include <cstdint>

#include "lock.h"
#include "reader_state.h"

// Thread procedure, started once by the entry procedure. Returns 0 at once
// unless the reader is the laser; otherwise takes every read the laser
// signals until EventSarnuEnd and returns 1, or 0 when an event cannot be had
// (after an ownerless "LzrReadThread\r\nEvent\r\nERROR!" box).
int LzrReadThread();

// Takes every barcode waiting in the laser library into the data path, with
// the device's suffix code, then empties the library's buffer. 0 when the
// status query failed (nothing is read and the buffer is kept), else 1.
int ReadLaserBarcodes(const ReaderState& device);

// The imager's side of ScanDevice::StartScan and StopScan: a decode thread
// started for the scan (false when it could not start; nothing then
// decodes), and the running decode told to stop asking for more.
bool StartImagerDecode(const ReaderState& device);
void StopImagerDecode();

// Whether the imager's blocking decode goes on; written under its lock.
extern uint32_t KeepDecoding;
extern Lock& KeepDecodingLock;
