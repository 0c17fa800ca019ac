#pragma once
// Alt letters ("&" marks) that a user can rely on: within one menu or one
// dialog no two captions share a letter, and every caption that has a
// letter or digit gets one. Captions come from language packs written by
// dealers, so the marks are repaired where they clash rather than trusted.

#include <string>
#include <vector>

namespace tramond {

// The accelerator letter of a caption ("&File" -> 'f', lower case), or 0.
// "&&" is a literal "&".
char acceleratorOf(const std::string& caption);

// Gives each caption a letter of its own. A caption keeps its mark when no
// earlier caption took that letter; otherwise (or without a mark) the mark
// moves to its first letter or digit not yet taken (word starts first).
// Captions with nothing free are left without a mark. Empty captions stay
// empty.
std::vector<std::string> uniqueAccelerators(const std::vector<std::string>& captions);

}  // namespace tramond
