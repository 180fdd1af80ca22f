// The program's version texts, compiled in where the platform would keep a version resource.
#pragma once

#include <string>

// The product version as four numbers joined by "." (major.minor.patch.build).
std::string GetProductVersionText();
// The text of a key ("LegalCopyright", "Comments", ...) for a language; empty for an unknown
// key or language.
std::string GetVersionString(const std::string& key, const std::string& language = "040704E4");
// The width of the build's pointers in bits: 64 on x86-64.
int BuildBits();
