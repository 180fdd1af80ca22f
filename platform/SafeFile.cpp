#include "platform/SafeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace {

constexpr const char* TemporarySuffix = ".tmp";
constexpr std::size_t UniqueLength = 6; // the XXXXXX of mkstemp

// Neither the kernel nor root should write where no write permission is set at all: such a
// file or folder was made read-only on purpose.
bool HasNoWriteBit(const struct stat& info) {
    return (info.st_mode & 0222) == 0;
}

std::string FolderReason(const std::string& folder, int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "Keine Schreibberechtigung im Ordner " + folder;
    case ENOENT:
        return "Der Ordner " + folder + " existiert nicht";
    default:
        return SystemErrorText(error);
    }
}

bool WriteAll(int file, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t count = write(file, content.data() + done, content.size() - done);
        if (count < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int handle = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return;
    fsync(handle);
    close(handle);
}

mode_t NewFileMode() {
    // The mode an ordinary new file gets. The system tells the umask without changing it;
    // setting it to read it is the fallback, and races with other threads creating files.
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    std::string line;
    bool found = false;
    while (!found && std::getline(status, line))
        if (line.compare(0, 6, "Umask:") == 0) {
            mask = static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
            found = true;
        }
    if (!found) {
        mask = umask(022);
        umask(mask);
    }
    return 0666 & ~mask & 0777;
}

std::string BaseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Removes the temporary files of path; the caller holds the lock.
void RemoveTemporaryFiles(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string baseName = BaseNameOf(path);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryFileOf(entry->d_name, baseName)) continue;
        const std::string name = folder + "/" + entry->d_name;
        struct stat info;
        if (lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(name.c_str());
    }
    closedir(dir);
}

} // namespace

std::string SystemErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "Zugriff verweigert";
    case ENOENT:
        return "Datei oder Ordner nicht gefunden";
    case ENOTDIR:
        return "Ein Teil des Pfades ist kein Ordner";
    case EISDIR:
        return "Das ist ein Ordner";
    case ENOSPC:
        return "Kein Platz mehr auf dem Datenträger";
    case EDQUOT:
        return "Speicherkontingent überschritten";
    case EFBIG:
        return "Die Datei wird zu groß";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case ENAMETOOLONG:
        return "Der Dateiname ist zu lang";
    case ELOOP:
        return "Zu viele symbolische Verknüpfungen";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    case EIO:
        return "Ein-/Ausgabefehler";
    case EEXIST:
        return "Die Datei existiert bereits";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    // The kernel's own limit for links in a row.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::string target(4096, '\0');
        const ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return current;
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    return current;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsTemporaryFileOf(const std::string& fileName, const std::string& baseName) {
    const std::string stem = baseName + TemporarySuffix;
    if (fileName.compare(0, stem.size(), stem) != 0) return false;
    if (fileName.size() == stem.size()) return true;
    return fileName.size() == stem.size() + 1 + UniqueLength && fileName[stem.size()] == '.';
}

TFileLock::TFileLock(const std::string& path, int waitMilliseconds) {
    const std::string lockName = path + ".lock";
    struct stat folder;
    if (stat(FolderOf(path).c_str(), &folder) == 0 && HasNoWriteBit(folder)) {
        Problem = "Der Ordner " + FolderOf(path) + " ist schreibgeschützt";
        return;
    }
    Handle = open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file of another user may still be locked through a read-only handle.
    if (Handle < 0 && errno == EACCES) Handle = open(lockName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Handle < 0) {
        Problem = FolderReason(FolderOf(path), errno);
        return;
    }
    int waited = 0;
    int pause = 1;
    while (flock(Handle, LOCK_EX | LOCK_NB) != 0) {
        // Where the file system has no locks, saves are still atomic, just not serialised.
        if (errno == ENOLCK || errno == ENOSYS || errno == EOPNOTSUPP) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            Problem = SystemErrorText(errno);
            break;
        }
        if (waited >= waitMilliseconds) {
            Problem = "Ein anderes Programm speichert die Datei gerade";
            break;
        }
        const timespec delay{0, pause * 1000000L};
        nanosleep(&delay, nullptr);
        waited += pause;
        if (pause < 20) pause *= 2;
    }
    if (!Problem.empty()) {
        close(Handle);
        Handle = -1;
    }
}

TFileLock::~TFileLock() {
    if (Handle >= 0) close(Handle);
}

std::string ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::string folder = FolderOf(path);
    struct stat old;
    const bool exists = lstat(path.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return SystemErrorText(errno);
    if (exists) {
        if (S_ISLNK(old.st_mode)) return SystemErrorText(ELOOP);
        if (S_ISDIR(old.st_mode)) return SystemErrorText(EISDIR);
        if (!S_ISREG(old.st_mode)) return "Das ist keine gewöhnliche Datei";
        if (HasNoWriteBit(old)) return "Die Datei ist schreibgeschützt";
        if (access(path.c_str(), W_OK) != 0 && errno == EACCES)
            return "Keine Schreibberechtigung für die Datei";
    }
    struct stat folderInfo;
    if (stat(folder.c_str(), &folderInfo) != 0) return FolderReason(folder, errno);
    if (HasNoWriteBit(folderInfo)) return "Der Ordner " + folder + " ist schreibgeschützt";

    RemoveTemporaryFiles(path);
    std::string temporary = path + TemporarySuffix + "." + std::string(UniqueLength, 'X');
    const int file = mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0) return FolderReason(folder, errno);
    const auto fail = [&](int error) {
        close(file);
        unlink(temporary.c_str());
        return SystemErrorText(error);
    };
    if (exists) {
        // The owner first: changing it may clear set-id bits that the mode then restores.
        if (fchown(file, old.st_uid, old.st_gid) != 0)
            (void)!fchown(file, static_cast<uid_t>(-1), old.st_gid);
        if (fchmod(file, old.st_mode & 07777) != 0) return fail(errno);
    } else if (fchmod(file, NewFileMode()) != 0) {
        return fail(errno);
    }
    if (!WriteAll(file, content) || fsync(file) != 0) return fail(errno);
    if (close(file) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return SystemErrorText(error);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return SystemErrorText(error);
    }
    SyncFolder(folder);
    return "";
}

void RemoveStaleTemporaryFiles(const std::string& path) {
    const std::string target = FollowLinks(path);
    const std::string folder = FolderOf(target);
    const std::string baseName = BaseNameOf(target);
    // No lock file is made where nothing is left over.
    bool any = false;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            any = any || IsTemporaryFileOf(entry->d_name, baseName);
        closedir(dir);
    }
    if (!any) return;
    const TFileLock lock(target, 0);
    if (lock.Reason().empty()) RemoveTemporaryFiles(target);
}
