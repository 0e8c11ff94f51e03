// Runs sarnuconf in-process for the tests and captures what it writes, and
// turns the test folders' product paths back into the machine's own paths
// that the tool takes as arguments.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
  int code;
  std::string out;
  std::string err;
};

// sarnuconf with these arguments (the program name is added).
ToolResult RunTool(const std::vector<std::string>& args);

// A product path ("\\?\" + native path) as the native UTF-8 path.
std::string NativePath(const std::u16string& productPath);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);
