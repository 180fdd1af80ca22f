// The few file-system and process services the settings need.
#pragma once

#include <string>

// The running program's own file path; empty when the system does not say.
std::string ProgramFileName();
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates one folder; false when it could not be created.
bool CreateDir(const std::string& path);
// The variable's value; empty when it is not set.
std::string GetEnvironmentVariable(const std::string& name);
// Path pieces: "/a/b.c" gives "/a/", "b.c", "b".
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& extension);
