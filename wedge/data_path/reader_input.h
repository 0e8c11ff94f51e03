// Reader input: when the reader scans and how its barcodes enter the data
// path. The trigger handlers run on the main window's thread; the laser's
// barcodes are taken on LzrReadThread, the imager's decoded on a short
// ImagerReadThread and handed over through the two imager queues. The reader
// object itself, scans started and stopped included, is ScanDevice's.
#pragma once

#include <cstdint>

// A trigger key went down / up (from a hot key or the keyboard hook), under
// the bulk and aimer rules. Main window thread only.
void OnTriggerPressed();
void OnTriggerReleased();
// A request from outside the trigger (a DataReader client's Stop, camera
// mode) ends a bulk run's running scan as a release ends it, so the run is
// forgotten by the same rules. Does nothing outside a bulk scan.
void EndBulkScanFromOutside();

// Starts a scan unless one runs or a bulk run is at its limit: bulk scans run
// without time-out and tell the counter, others use the reader's time-out
// (none in aimer mode). 1 when it started one, else 0.
int ScanTrigger();

// Thread procedure, started once by the entry procedure. Returns 0 at once
// unless the reader is the laser; otherwise takes every read the laser
// signals until EventSarnuEnd and returns 1, or 0 when an event cannot be had
// (after an ownerless "LzrReadThread\r\nEvent\r\nERROR!" box).
int LzrReadThread();

// Takes every barcode waiting in the laser library into the data path, then
// empties the library's buffer. 0 when the status query failed (nothing is
// read and the buffer is kept), else 1.
int ReadLaserBarcodes();

// The imager's side of ScanDevice::StartScan and StopScan: a decode thread
// started for the scan (false when it could not start; nothing then
// decodes), and the running decode told to stop asking for more.
class ScanDevice;
bool StartImagerDecode(ScanDevice& device);
void StopImagerDecode();

// The main window's answer to UM_IMAGER_DATA: one queued imager barcode into
// the data path. 1 when one was passed on; 0 when the queues were empty or
// out of step (both are then emptied).
int DispatchImagerBarcode();
