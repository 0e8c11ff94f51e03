// The steps of one barcode's typing.
#include "typing_plan.h"

#include "wide_text.h"

namespace {

void Text(const TypingVisitor& v, const char* text, size_t length) {
  if (length) v.text(v.context, text, length);
}

// A preamble or postamble: with KeyTokens its tokens are keys and pauses.
void WalkFrame(bool tokens, const char* text, size_t length, const TypingVisitor& v) {
  if (!tokens) return Text(v, text, length);
  size_t run = 0;
  for (size_t i = 0; i < length;) {
    const KeyToken token = ReadKeyToken(text + i, length - i);
    if (token.length == 0) {
      ++i;
      continue;
    }
    Text(v, text + run, i - run);
    if (token.literal) {
      Text(v, text + i, 1);
    } else if (token.virtualKey) {
      v.key(v.context, token.virtualKey, false);
    } else {
      v.pause(v.context, token.pauseMs);
    }
    i += token.length;
    run = i;
  }
  Text(v, text + run, length - run);
}

bool MapsAnything(const KeyMapSetting& map) {
  for (const KeyAction& action : map.action) {
    if (action.kind != KeyActionKind::Typed) return true;
  }
  return false;
}

void WalkData(const KeyMapSetting& map, const char* text, size_t length, const TypingVisitor& v) {
  if (!MapsAnything(map)) return Text(v, text, length);
  size_t run = 0;
  for (size_t i = 0; i < length; ++i) {
    const int slot = KeyMapSlot(static_cast<unsigned char>(text[i]));
    if (slot < 0 || map.action[slot].kind == KeyActionKind::Typed) continue;
    Text(v, text + run, i - run);
    run = i + 1;
    const KeyAction& action = map.action[slot];
    switch (action.kind) {
      case KeyActionKind::Text: {
        size_t n = 0;
        while (action.text[n]) ++n;
        Text(v, action.text, n);
        break;
      }
      case KeyActionKind::Key:
        v.key(v.context, action.virtualKey, false);
        break;
      case KeyActionKind::Ctrl:
        v.key(v.context, action.virtualKey, true);
        break;
      default:  // Drop
        break;
    }
  }
  Text(v, text + run, length - run);
}

}  // namespace

KeyToken ReadKeyToken(const char* text, size_t available) {
  KeyToken token = {0, false, 0, 0};
  if (available < 2 || text[0] != '{') return token;
  if (text[1] == '{') return {2, true, 0, 0};
  size_t end = 1;
  while (end < available && end < 16 && text[end] != '}') ++end;
  if (end >= available || text[end] != '}') return token;
  char16_t name[16];
  const size_t length = end - 1;
  for (size_t i = 0; i < length; ++i) name[i] = static_cast<unsigned char>(text[1 + i]);
  if (length > 6 && WideEqualNoCaseN(name, u"DELAY ", 6)) {
    uint32_t ms = 0;
    for (size_t i = 6; i < length; ++i) {
      if (name[i] < u'0' || name[i] > u'9' || i >= 10) return token;
      ms = ms * 10 + uint32_t(name[i] - u'0');
    }
    if (ms > kMaxTokenDelayMs) return token;
    return {end + 1, false, 0, ms};
  }
  const uint8_t key = NamedKey(name, length);
  if (key == 0) return token;
  return {end + 1, false, key, 0};
}

void WalkTyping(bool keyTokens, const KeyMapSetting& map, const char* output,
                const OutputParts& parts, const TypingVisitor& visitor) {
  const bool tokens = keyTokens;
  const char* at = output;
  WalkFrame(tokens, at, parts.preamble, visitor);
  at += parts.preamble;
  Text(visitor, at, parts.identifier);
  at += parts.identifier;
  WalkData(map, at, parts.data, visitor);
  at += parts.data;
  WalkFrame(tokens, at, parts.postamble, visitor);
}
