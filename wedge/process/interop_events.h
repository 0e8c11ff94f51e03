// The named-event protocol of client programs: their requests to start,
// stop or switch the reader to camera mode become main-window messages.
#pragma once

// Thread procedure, started once by the entry procedure. Returns 1 after
// EventSarnuEnd, 0 when an event cannot be had (after an ownerless
// "DataReaderEventListenerThread\r\nEvent\r\nERROR!" box).
int DataReaderEventListenerThread();

// Request event names.
inline constexpr wchar_t kReaderStartEventName[] = L"DataReader_Event_Start";
inline constexpr wchar_t kReaderStopEventName[] = L"DataReader_Event_Stop";
inline constexpr wchar_t kReaderCamModeEventName[] = L"DataReader_Event_CamMode";
