// Replacing a file that users keep: whole or not at all, through symbolic links, with its mode,
// and one writer at a time among the programs that share it.
#pragma once

#include <string>

// The German reason for a failed system call's error number.
std::string SystemErrorText(int error);

// The file the path finally names after following symbolic links (also a link whose target does
// not exist yet); the path itself when it is no link.
std::string FollowLinks(const std::string& path);

// The folder part of a path, "." for a bare file name.
std::string FolderOf(const std::string& path);

// An exclusive advisory lock on "PATH.lock" beside the file, held while the object lives.
// Every program that rewrites the file takes it first, so read-modify-write never interleaves.
class TFileLock {
public:
    // Waits up to waitMilliseconds for another holder. Afterwards Reason() is empty when the
    // lock is held, else the German reason why not.
    TFileLock(const std::string& path, int waitMilliseconds);
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;
    const std::string& Reason() const { return Problem; }

private:
    int Handle = -1;
    std::string Problem;
};

// Replaces the file's content through a unique temporary file in its folder, which is synced
// and renamed over it; the folder is synced too. An existing file keeps its mode and, where the
// system allows, its owner; a file without any write permission is refused. Returns the German
// reason on failure (the old file is then untouched), else an empty text. path must be a
// resolved one (FollowLinks).
std::string ReplaceFileContent(const std::string& path, const std::string& content);

// Removes the temporary files that saves of path interrupted by a crash or kill left behind.
// Only while no other program holds the lock; silent on every failure.
void RemoveStaleTemporaryFiles(const std::string& path);

// The temporary file names of path: "NAME.tmp" of older versions and "NAME.tmp.XXXXXX".
bool IsTemporaryFileOf(const std::string& fileName, const std::string& baseName);
