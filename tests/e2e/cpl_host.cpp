// A control panel in miniature for the e2e tests: loads an applet, calls
// CPlApplet with the messages named on the command line, in order, prints
// one line per answer (the description's fields after an inquiry) and ends
// with the last answer as its exit code.
//   cpl_host APPLET.cpl init|count|inquire|newinquire|newinquire-null|dblclk|stop|exit|N ...
#include <windows.h>
// After windows.h, which it needs.
#include <cpl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace {

struct Message {
  const wchar_t* name;
  UINT message;
};

const Message kMessages[] = {
    {L"init", CPL_INIT},
    {L"count", CPL_GETCOUNT},
    {L"inquire", CPL_INQUIRE},
    {L"select", CPL_SELECT},
    {L"newinquire", CPL_NEWINQUIRE},
    {L"newinquire-null", CPL_NEWINQUIRE},
    {L"dblclk", CPL_DBLCLK},
    {L"stop", CPL_STOP},
    {L"exit", CPL_EXIT},
};

void PrintDescription(const NEWCPLINFOW& info) {
  printf(
      " size=%lu flags=%lu help=%lu data=%lld icon=%d name=\"%ls\" info=\"%ls\" helpfile=\"%ls\"",
      info.dwSize, info.dwFlags, info.dwHelpContext, static_cast<long long>(info.lData),
      info.hIcon != nullptr, info.szName, info.szInfo, info.szHelpFile);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  // Lines end in "\n" alone, as the tests compare them.
  _setmode(_fileno(stdout), _O_BINARY);
  HMODULE applet = LoadLibraryW(argv[1]);
  if (!applet) return 2;
  auto* entry = reinterpret_cast<APPLET_PROC>(GetProcAddress(applet, "CPlApplet"));
  if (!entry) return 2;
  LONG answer = 0;
  for (int i = 2; i < argc; ++i) {
    UINT message = static_cast<UINT>(_wtoi(argv[i]));
    for (const Message& m : kMessages) {
      if (lstrcmpW(m.name, argv[i]) == 0) message = m.message;
    }
    // Filled with a pattern first, so every field the applet leaves shows.
    NEWCPLINFOW info;
    memset(&info, 0xCC, sizeof info);
    const bool record = message == CPL_NEWINQUIRE && lstrcmpW(argv[i], L"newinquire") == 0;
    answer = entry(nullptr, message, 0, record ? reinterpret_cast<LPARAM>(&info) : 0);
    // A faulty applet may leave a text unterminated: never read past it.
    info.szName[31] = info.szInfo[63] = info.szHelpFile[127] = L'\0';
    printf("%ls %ld", argv[i], answer);
    if (record) PrintDescription(info);
    printf("\n");
    fflush(stdout);
  }
  FreeLibrary(applet);
  return static_cast<int>(answer);
}
