// Shell shortcuts. The terminal's shell keeps a shortcut as a small text file
// `NN#"target"`: NN is the length in characters of the quoted target that
// follows the '#', in decimal.
#pragma once

// Writes a shortcut at shortcutPath (a product path) that starts target. An
// existing file there is replaced. False when the file could not be written
// or the target is empty or too long (more than 259 characters).
bool CreateShortcut(const char16_t* shortcutPath, const char16_t* target);
