// Where the CE shell and the desktop shell expect different things of the
// suite's programs: the sizes of the records handed to the shell (tray icon,
// control-panel applet), and how a running copy's window is brought forward.
#pragma once

// The cbSize of the wedge's tray icon record: the first version of the
// record (window, identifier, flags, message, icon, 64-unit tip), which is
// all the wedge fills. On CE that is the whole record, 152 bytes.
unsigned long TrayIconRecordSize();

// The size of the applet's description for the control panel (NEWCPLINFOW):
// 468 bytes on the 32-bit terminal, the record's own size on this build.
unsigned long AppletInfoRecordSize();

// Brings a top-level window (an HWND) and the windows it owns forward. CE
// does that for a handle with its lowest bit set; the desktop takes the
// handle itself.
void BringWindowForward(void* window);

// Whether a WM_SETCURSOR (its lParam) stands for a tap. On CE the message
// only comes with a tap on the screen; the desktop also sends it whenever
// the pointer merely rests on or moves over a window, which is no tap.
bool SetCursorIsTap(long lParam);
