// Settings files in the ini format: typed values by section and key, names without regard to
// case, booleans as 1 or 0, integers as decimal text; a missing key gives the caller's default.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Exceptions.h"

// A settings file that cannot be read or written.
class EIniFileError : public Exception {
public:
    using Exception::Exception;
};

// Update holds the file's lock from reading until the object goes, so that no other program's
// save falls between reading the file and writing it back.
enum class TIniAccess { Read, Update };

class TIniFile {
public:
    // Reads the file when it exists. A line that is not valid UTF-8 is read as Windows-1252.
    // Raises EIniFileError when an existing file cannot be read, or, for an update, when the
    // lock cannot be had.
    explicit TIniFile(const std::string& fileName, TIniAccess access = TIniAccess::Read);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The default when the key is missing or its text is not an integer.
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    // Number of keys present in the section.
    std::int32_t KeyCount(const std::string& section) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Writes the file through a unique temporary file beside it that then replaces it, so a
    // failed or killed write leaves the old file whole. A symbolic link is written through to
    // its target; the file keeps its mode; a file without write permission is refused. Raises
    // EIniFileError with a German message naming the reason.
    void UpdateFile();

    const std::string& FileName() const { return Name; }

private:
    struct TData;
    std::string Name;
    std::unique_ptr<TData> Data;
};

// Windows-1252 text to UTF-8.
std::string Windows1252ToUtf8(const std::string& text);
bool IsValidUtf8(const std::string& text);
