// What is typed for one filtered barcode, in order: runs of text, keys and
// pauses. Without KeyTokens and a key map it is the output text as one run
// after another (preamble, identifier, data, postamble), exactly as typed
// before; with them the preamble's and postamble's tokens ({F6}, {DELAY
// 300}) become keys and pauses, and the data's control characters what the
// map says. The map is for the data alone: the preamble and postamble are
// the site's own text, where a key is written as a token.
#pragma once

#include <cstddef>
#include <cstdint>

#include "key_map.h"

// The parts of ApplyFilter's output, by length, in the order they stand.
struct OutputParts {
  size_t preamble;
  size_t identifier;
  size_t data;
  size_t postamble;
};

struct TypingVisitor {
  void* context;
  void (*text)(void* context, const char* text, size_t length);
  // A key of the map or a token; with `ctrl` held down.
  void (*key)(void* context, uint8_t virtualKey, bool ctrl);
  void (*pause)(void* context, uint32_t milliseconds);
};

// The longest pause a {DELAY n} token asks for.
enum : uint32_t { kMaxTokenDelayMs = 5000 };

// Calls the visitor for each step of `output` (as ApplyFilter wrote it with
// `parts`) under a record's KeyTokens and KeyMap.
void WalkTyping(bool keyTokens, const KeyMapSetting& map, const char* output,
                const OutputParts& parts, const TypingVisitor& visitor);

// Where a key token at `text` ends: the number of characters it takes (0 when
// `text` does not start a token), with what it asks for. "{{" is a literal
// brace (`literal` set).
struct KeyToken {
  size_t length;
  bool literal;
  uint8_t virtualKey;  // 0 for a pause
  uint32_t pauseMs;
};
KeyToken ReadKeyToken(const char* text, size_t available);
