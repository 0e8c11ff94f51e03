// The data path's Win32 parts linked with nothing above them: built, never
// run. Each entry point below pulls its object file into the link, so a call
// or a global of the wedge's process code in any of them fails the build.
#include "bulk_collection.h"
#include "counter_window.h"
#include "key_output.h"
#include "reader_input.h"
#include "settings_records.h"
#include "typing_extras.h"

int main() {
  const void* const parts[] = {
      reinterpret_cast<const void*>(&LzrReadThread),
      reinterpret_cast<const void*>(&StartImagerDecode),
      reinterpret_cast<const void*>(&AcceptBarcode),
      reinterpret_cast<const void*>(&ForgetBulkRunThread),
      reinterpret_cast<const void*>(&CreateCounterWindow),
      reinterpret_cast<const void*>(&OutputThread),
      reinterpret_cast<const void*>(&LoadSettingsAndProfiles),
      reinterpret_cast<const void*>(&PasteKeepingClipboard),
  };
  return parts[0] == parts[1];
}
