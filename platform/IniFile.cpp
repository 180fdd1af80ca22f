#include "platform/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

// This is the one unit that holds the library's code; names compare without regard to case.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "platform/SafeFile.h"

struct TIniFile::TData {
    TData() { Ini.SetSpaces(false); } // key=value, as Windows writes them
    CSimpleIniA Ini{false, false, false};
    // Held from reading to writing when the file is opened for an update.
    std::unique_ptr<TFileLock> Lock;
};

namespace {

// Code points of 0x80..0x9F in Windows-1252; 0 where the code page has no character.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string SystemError() {
    return SystemErrorText(errno);
}

// How long a save waits for another program's save of the same file.
constexpr int LockWaitMilliseconds = 10000;

// Each line on its own: one stray Windows-1252 byte must not garble the UTF-8 lines around it.
std::string LinesToUtf8(const std::string& content) {
    std::string out;
    out.reserve(content.size() + content.size() / 8);
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find('\n', start);
        end = end == std::string::npos ? content.size() : end + 1;
        const std::string line = content.substr(start, end - start);
        out += IsValidUtf8(line) ? line : Windows1252ToUtf8(line);
        start = end;
    }
    return out;
}

// Settings files the program writes are a few kilobytes; a larger one is refused rather than
// read for a long time.
constexpr off_t MaxFileSize = 16 << 20;

// The whole file, or the reason it cannot be read; missing is set when there is no file.
std::string ReadWholeFile(const std::string& fileName, std::string& content, bool& missing) {
    missing = false;
    // Not blocking: a named pipe in the file's place must not stop the program.
    const int file = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0) {
        missing = errno == ENOENT;
        return SystemError();
    }
    std::string reason;
    struct stat info;
    if (fstat(file, &info) != 0) {
        reason = SystemError();
    } else if (S_ISDIR(info.st_mode)) {
        reason = "Das ist ein Ordner";
    } else if (!S_ISREG(info.st_mode)) {
        reason = "Das ist keine gewöhnliche Datei";
    } else if (info.st_size > MaxFileSize) {
        reason = "Die Datei ist größer als " + std::to_string(MaxFileSize >> 20) + " MB";
    }
    char buffer[65536];
    while (reason.empty()) {
        const ssize_t count = read(file, buffer, sizeof buffer);
        if (count == 0) break;
        if (count < 0) {
            if (errno != EINTR) reason = SystemError();
            continue;
        }
        content.append(buffer, static_cast<std::size_t>(count));
        // The file may grow while it is read.
        if (content.size() > static_cast<std::size_t>(MaxFileSize))
            reason = "Die Datei ist größer als " + std::to_string(MaxFileSize >> 20) + " MB";
    }
    close(file);
    return reason;
}

} // namespace

std::string Windows1252ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (unsigned char b : text) {
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0) c = Cp1252High[b - 0x80] ? Cp1252High[b - 0x80] : 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length;
        char32_t c;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            c = b & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        // No overlong forms, surrogates or code points beyond Unicode.
        if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

TIniFile::TIniFile(const std::string& fileName, TIniAccess access)
    : Name(fileName), Data(std::make_unique<TData>()) {
    if (access == TIniAccess::Update) {
        Data->Lock = std::make_unique<TFileLock>(FollowLinks(fileName), LockWaitMilliseconds);
        if (!Data->Lock->Reason().empty())
            throw EIniFileError("Die Einstellungsdatei " + fileName +
                                " kann nicht geschrieben werden: " + Data->Lock->Reason());
    }
    std::string content;
    bool missing;
    const std::string reason = ReadWholeFile(fileName, content, missing);
    // A missing file gives every value its default.
    if (missing) return;
    if (!reason.empty())
        throw EIniFileError("Die Einstellungsdatei " + fileName +
                            " kann nicht gelesen werden: " + reason);
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
    if (!IsValidUtf8(content)) content = LinesToUtf8(content);
    if (Data->Ini.LoadData(content) < 0)
        throw EIniFileError("Die Einstellungsdatei " + fileName + " kann nicht gelesen werden.");
}

TIniFile::~TIniFile() = default;

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const char* value = Data->Ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? std::string(value) : defaultValue;
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') ++start;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || ptr != last) return defaultValue;
    return value;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key,
                        bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::int32_t TIniFile::KeyCount(const std::string& section) const {
    return Data->Ini.GetSectionSize(section.c_str());
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    Data->Ini.SetValue(section.c_str(), key.c_str(), value.c_str());
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key,
                            std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() {
    std::string content;
    if (Data->Ini.Save(content) < 0)
        throw EIniFileError("Die Einstellungsdatei " + Name + " kann nicht geschrieben werden.");
    // Writing through a link updates its target and keeps the link.
    const std::string target = FollowLinks(Name);
    std::unique_ptr<TFileLock> ownLock;
    if (!Data->Lock) ownLock = std::make_unique<TFileLock>(target, LockWaitMilliseconds);
    std::string reason = ownLock ? ownLock->Reason() : "";
    if (reason.empty()) reason = ReplaceFileContent(target, content);
    if (!reason.empty())
        throw EIniFileError("Die Einstellungsdatei " + Name +
                            " kann nicht geschrieben werden: " + reason);
}
