// Entry of the core tests: terminal paths get a private place for the whole
// run before any test touches them (a fresh SARNU_ROOT natively, the Wine
// prefix's drive C: otherwise).
#include <gtest/gtest.h>

#include "test_support.h"

#ifndef _WIN32
#include <cstdio>
#include <cstdlib>
#include <string>
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
#ifndef _WIN32
  const char* tmp = getenv("TMPDIR");
  std::string root = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/sarnu-root-XXXXXX";
  if (!mkdtemp(&root[0])) {
    perror("mkdtemp");
    return 2;
  }
  setenv("SARNU_ROOT", root.c_str(), 1);
#endif
  ResetTerminalFolders();
  int result = RUN_ALL_TESTS();
#ifndef _WIN32
  RemoveNativeTree(root);
#endif
  return result;
}
