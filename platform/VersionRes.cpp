#include "platform/VersionRes.h"

#include <array>
#include <string_view>

namespace {

struct TVersionString {
    std::string_view Key;
    std::string_view Text;
};

// German, code page 1252: the one language the program's texts are written in.
constexpr std::string_view GermanLanguage = "040704E4";
constexpr std::array<TVersionString, 6> GermanStrings{{
    {"CompanyName", "Nimbrel-Entwickler"},
    {"FileDescription", "Nimbrel – wissenschaftlicher Rechner"},
    {"LegalCopyright", "Copyright © 2026 Nimbrel-Entwickler"},
    {"Comments", "Wissenschaftlicher Rechner mit 80-Bit-Genauigkeit, symbolischer Ableitung und "
                 "numerischen Verfahren"},
    {"ProductName", "Nimbrel"},
    {"OriginalFilename", "nimbrel"},
}};

} // namespace

std::string GetProductVersionText() {
    return std::to_string(NIMBREL_VERSION_MAJOR) + "." + std::to_string(NIMBREL_VERSION_MINOR) +
           "." + std::to_string(NIMBREL_VERSION_PATCH) + "." +
           std::to_string(NIMBREL_VERSION_TWEAK);
}

std::string GetVersionString(const std::string& key, const std::string& language) {
    if (language != GermanLanguage) return {};
    for (const TVersionString& entry : GermanStrings)
        if (entry.Key == key) return std::string(entry.Text);
    return {};
}

int BuildBits() {
    return static_cast<int>(sizeof(void*) * 8);
}
