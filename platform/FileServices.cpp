// Disk, memory and mapped files on POSIX (see FileServices.h).
#include "platform/FileServices.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// ---- Names ------------------------------------------------------------------

std::string GameNameToPath(const char* gameName) {
    std::string path = gameName ? gameName : "";
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A save that did not happen is said on standard error, with the file and the
// reason; the game shows its own note.
void ReportSaveFailure(const std::string& path, const char* reason) {
    std::fprintf(stderr, "brettspalt: could not save %s: %s (the old file is kept)\n",
                 path.c_str(), reason);
}

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty() || dir == ".") return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The path as spelled when it exists; otherwise each part below `dir` matched
// without regard to case ("config/level01.txt" for "Config\Level01.txt").
// Returns the spelled path when no match exists.
std::string FindIgnoringCase(const std::string& dir, const std::string& relative) {
    std::string spelled = Join(dir, relative);
    if (Exists(spelled)) return spelled;
    std::string current = dir.empty() ? std::string(".") : dir;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t slash = relative.find('/', start);
        std::string part =
            relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? relative.size() + 1 : slash + 1;
        if (part.empty() || part == ".") continue;
        std::string exact = current + "/" + part;
        if (Exists(exact)) {
            current = exact;
            continue;
        }
        DIR* d = ::opendir(current.c_str());
        if (!d) return spelled;
        std::string found;
        while (dirent* e = ::readdir(d)) {
            if (::strcasecmp(e->d_name, part.c_str()) == 0) {
                found = e->d_name;
                break;
            }
        }
        ::closedir(d);
        if (found.empty()) return spelled;
        current += "/" + found;
    }
    if (!dir.empty()) return current;
    return current.rfind("./", 0) == 0 ? current.substr(2) : current;
}

// Creates the folders above a path we are about to write (the save folder is
// made on demand). Failures show up when the file itself is opened.
void MakeParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    }
}

}  // namespace

// ---- Set-up -------------------------------------------------------------------

FileServices::FileServices(PlatformServices* owner) : owner(owner) {}

FileServices::~FileServices() {
    // Our owner is being destroyed, so its virtual operations are gone: close
    // what the views hold directly.
    for (MapSlot& slot : maps) {
        if (!slot.view) continue;
        ::munmap(const_cast<void*>(slot.view), slot.length);
        CloseDisk(slot.file);
        slot = MapSlot{};
    }
    for (const OpenFile& f : openFiles) {
        ::close(f.fd);
        // A save that was never closed does not replace its file.
        if (!f.temp.empty()) ::unlink(f.temp.c_str());
    }
    openFiles.clear();
}

void FileServices::SetDataFolder(std::string dir) {
    dataFolder = std::move(dir);
}
void FileServices::SetSaveFolder(std::string dir) {
    saveFolder = std::move(dir);
    if (saveFolder.empty()) return;
    DIR* folder = ::opendir(saveFolder.c_str());
    if (!folder) return;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".new") != 0) continue;
        const std::string path = Join(saveFolder, name);
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
    }
    ::closedir(folder);
}

std::string FileServices::PathForReading(const char* gameName) const {
    std::string name = GameNameToPath(gameName);
    if (IsAbsolute(name)) return name;
    if (!saveFolder.empty()) {
        std::string inSave = FindIgnoringCase(saveFolder, name);
        if (Exists(inSave)) return inSave;
    }
    return FindIgnoringCase(dataFolder, name);
}

std::string FileServices::PathForWriting(const char* gameName) const {
    std::string name = GameNameToPath(gameName);
    if (IsAbsolute(name)) return name;
    const std::string& folder = saveFolder.empty() ? dataFolder : saveFolder;
    return FindIgnoringCase(folder, name);
}

// ---- Tables -------------------------------------------------------------------

FileServices::MemorySlot* FileServices::FindMemory(FileHandle h) {
    if (h == 0 || h == kNoFile) return nullptr;
    for (MemorySlot& slot : memory) {
        if (slot.base && reinterpret_cast<FileHandle>(slot.base) == h) return &slot;
    }
    return nullptr;
}

const FileServices::OpenFile* FileServices::FindDisk(FileHandle h) const {
    for (const OpenFile& f : openFiles) {
        if (f.fd == h) return &f;
    }
    return nullptr;
}

bool FileServices::IsOpenOnDisk(const std::string& path) const {
    for (const OpenFile& f : openFiles)
        if (!f.target.empty() && f.target == path) return true;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    for (const OpenFile& f : openFiles) {
        if (f.device == static_cast<unsigned long long>(st.st_dev) &&
            f.inode == static_cast<unsigned long long>(st.st_ino)) {
            return true;
        }
    }
    return false;
}

int FileServices::OpenDiskFileCount() const {
    return static_cast<int>(openFiles.size());
}

int FileServices::UsedMemorySlots() const {
    return static_cast<int>(
        std::count_if(memory.begin(), memory.end(), [](const MemorySlot& s) { return s.base; }));
}

int FileServices::UsedMapSlots() const {
    return static_cast<int>(
        std::count_if(maps.begin(), maps.end(), [](const MapSlot& s) { return s.view; }));
}

std::vector<FileServices::MappedView> FileServices::MappedViews() const {
    std::vector<MappedView> views;
    for (const MapSlot& slot : maps) {
        if (slot.view) views.push_back({slot.view, slot.length});
    }
    return views;
}

// ---- Disk files -----------------------------------------------------------------

FileHandle FileServices::OpenDisk(const char* name, u8 mode) {
    if (!name || !*name) return kNoFile;
    const bool read = mode & kFileRead;
    const bool write = mode & kFileWrite;
    if (!read && !write) return kNoFile;
    const std::string path = write ? PathForWriting(name) : PathForReading(name);
    // No sharing: a file we hold open cannot be opened again (and must not be
    // truncated by the attempt).
    if (IsOpenOnDisk(path)) {
        if (write) ReportSaveFailure(path, "it is open already");
        return kNoFile;
    }

    // A file opened for writing only (the high-score table) is written to a
    // temporary file in the same folder and renamed over the old one when it
    // is closed after writes that all succeeded: a crash, a kill or a full
    // disk while saving never loses what was there before.
    const bool replace = write && !read;
    const std::string openPath = replace ? path + ".new" : path;
    int flags = O_CLOEXEC;
    if (write) {
        flags |= (read ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        MakeParents(path);
    } else {
        flags |= O_RDONLY;
    }
    int fd;
    do {
        fd = ::open(openPath.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (write) ReportSaveFailure(path, std::strerror(errno));
        return kNoFile;
    }

    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kNoFile;
    }
    ::posix_fadvise(fd, 0, 0, (mode & kFileRandom) ? POSIX_FADV_RANDOM : POSIX_FADV_SEQUENTIAL);
    OpenFile file;
    file.fd = fd;
    file.device = static_cast<unsigned long long>(st.st_dev);
    file.inode = static_cast<unsigned long long>(st.st_ino);
    if (replace) {
        file.target = path;
        file.temp = openPath;
    }
    openFiles.push_back(file);
    return fd;
}

bool FileServices::CloseDisk(FileHandle h) {
    auto it = std::find_if(openFiles.begin(), openFiles.end(),
                           [h](const OpenFile& f) { return f.fd == h; });
    if (it == openFiles.end()) return false;
    OpenFile file = *it;
    openFiles.erase(it);
    if (file.target.empty()) return ::close(file.fd) == 0;

    int error = file.writeFailed ? file.writeError : 0;
    if (error == 0 && !file.writeFailed && ::fsync(file.fd) != 0) error = errno;
    if (::close(file.fd) != 0 && error == 0) error = errno;
    bool ok = !file.writeFailed && error == 0;
    if (ok && ::rename(file.temp.c_str(), file.target.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(file.temp.c_str());
        ReportSaveFailure(file.target, error != 0 ? std::strerror(error) : "a write failed");
    }
    return ok;
}

FileServices::OpenFile* FileServices::FindDiskMutable(FileHandle h) {
    for (OpenFile& f : openFiles)
        if (f.fd == h) return &f;
    return nullptr;
}

// ---- Slots 26-32 ------------------------------------------------------------------

FileHandle FileServices::Open(const char* nameOrBase, u8 mode, u32 memorySize) {
    if (memorySize == 0) return OpenDisk(nameOrBase, mode);
    // A null base would read as a free slot; refuse it.
    if (!nameOrBase) return kNoFile;
    for (MemorySlot& slot : memory) {
        if (slot.base) continue;
        slot.base = reinterpret_cast<const u8*>(nameOrBase);
        slot.size = memorySize;
        slot.position = 0;
        return reinterpret_cast<FileHandle>(nameOrBase);
    }
    return kNoFile;
}

bool FileServices::Close(FileHandle h, bool isMemory) {
    if (!isMemory) return CloseDisk(h);
    MemorySlot* slot = FindMemory(h);
    if (!slot) return false;
    *slot = MemorySlot{};
    return true;
}

i32 FileServices::Read(FileHandle h, void* buffer, i32 count, bool isMemory) {
    if (count < 0 || (count > 0 && !buffer)) return -1;
    if (isMemory) {
        MemorySlot* slot = FindMemory(h);
        if (!slot) return -1;
        const u32 left = slot->size - slot->position;
        if (left < 1) return 0;
        const u32 n = std::min(static_cast<u32>(count), left);
        u8* out = static_cast<u8*>(buffer);
        std::memcpy(out, slot->base + slot->position, n);
        for (u32 i = 0; i < n; ++i) out[i] ^= kMemoryKey;
        slot->position += n;
        return static_cast<i32>(n);
    }
    if (!FindDisk(h)) return -1;
    i32 done = 0;
    while (done < count) {
        ssize_t r = ::read(static_cast<int>(h), static_cast<u8*>(buffer) + done,
                           static_cast<size_t>(count - done));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return done > 0 ? done : -1;
        if (r == 0) break;
        done += static_cast<i32>(r);
    }
    return done;
}

i32 FileServices::Write(FileHandle h, const void* buffer, u32 count, bool isMemory) {
    if (isMemory) return -1;
    OpenFile* file = FindDiskMutable(h);
    if (!file || count > static_cast<u32>(INT32_MAX) || (count > 0 && !buffer)) return -1;
    u32 done = 0;
    while (done < count) {
        ssize_t r =
            ::write(static_cast<int>(h), static_cast<const u8*>(buffer) + done, count - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            file->writeFailed = true;
            file->writeError = r < 0 ? errno : ENOSPC;
            return -1;
        }
        done += static_cast<u32>(r);
    }
    return static_cast<i32>(done);
}

bool FileServices::Seek(FileHandle h, i32 offset, u32 origin, bool isMemory) {
    if (isMemory) {
        MemorySlot* slot = FindMemory(h);
        if (!slot) return false;
        // From the end counts backwards with a negative offset, as on disk.
        long long from = origin == kSeekCurrent ? slot->position
                         : origin == kSeekEnd   ? slot->size
                                                : 0;
        long long target = from + offset;
        if (target < 0 || target > slot->size) return false;
        slot->position = static_cast<u32>(target);
        return true;
    }
    if (!FindDisk(h)) return false;
    int whence = origin == kSeekCurrent ? SEEK_CUR : origin == kSeekEnd ? SEEK_END : SEEK_SET;
    return ::lseek(static_cast<int>(h), offset, whence) != static_cast<off_t>(-1);
}

u32 FileServices::GetSize(FileHandle h, bool isMemory) {
    if (isMemory) {
        MemorySlot* slot = FindMemory(h);
        return slot ? slot->size : 0xFFFFFFFFu;
    }
    if (!FindDisk(h)) return 0xFFFFFFFFu;
    struct stat st;
    if (::fstat(static_cast<int>(h), &st) != 0) return 0xFFFFFFFFu;
    // A file of 4 GiB or more has no 32-bit size.
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) >= 0xFFFFFFFFull) {
        return 0xFFFFFFFFu;
    }
    return static_cast<u32>(st.st_size);
}

i32 FileServices::Tell(FileHandle h, bool isMemory) {
    if (isMemory) {
        MemorySlot* slot = FindMemory(h);
        return slot && slot->position <= static_cast<u32>(INT32_MAX)
                   ? static_cast<i32>(slot->position)
                   : -1;
    }
    if (!FindDisk(h)) return -1;
    off_t pos = ::lseek(static_cast<int>(h), 0, SEEK_CUR);
    return pos < 0 || pos > INT32_MAX ? -1 : static_cast<i32>(pos);
}

// ---- Mapped files (slots 33-34) ---------------------------------------------------

FileHandle FileServices::OwnerOpen(const char* name) {
    return owner ? owner->FileOpen(name, kFileRead, 0) : Open(name, kFileRead, 0);
}

bool FileServices::OwnerClose(FileHandle h) {
    return owner ? owner->FileClose(h, false) : Close(h, false);
}

const void* FileServices::Map(const char* name) {
    auto slot = std::find_if(maps.begin(), maps.end(), [](const MapSlot& s) { return !s.view; });
    if (slot == maps.end()) return nullptr;
    FileHandle file = OwnerOpen(name);
    if (file == kNoFile) return nullptr;

    const u32 size = owner ? owner->FileGetSize(file, false) : GetSize(file, false);
    // An empty file cannot be mapped (as on the game's original system).
    if (size == 0 || size == 0xFFFFFFFFu) {
        OwnerClose(file);
        return nullptr;
    }
    void* view = MAP_FAILED;
    if (FindDisk(file)) {
        view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, static_cast<int>(file), 0);
    } else {
        // The owner's file layer handed out a handle that is not one of our
        // descriptors: read the file through it into private memory instead.
        view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (view != MAP_FAILED) {
            u32 done = 0;
            bool ok = owner->FileSeek(file, 0, 0, false);
            while (ok && done < size) {
                i32 chunk = static_cast<i32>(std::min<u32>(size - done, 1u << 20));
                i32 r = owner->FileRead(file, static_cast<u8*>(view) + done, chunk, false);
                if (r <= 0)
                    ok = false;
                else
                    done += static_cast<u32>(r);
            }
            if (!ok || ::mprotect(view, size, PROT_READ) != 0) {
                ::munmap(view, size);
                view = MAP_FAILED;
            }
        }
    }
    if (view == MAP_FAILED) {
        OwnerClose(file);
        return nullptr;
    }
    slot->file = file;
    slot->length = size;
    slot->view = view;
    return view;
}

bool FileServices::Unmap(const void* view) {
    if (!view) return false;
    auto slot =
        std::find_if(maps.begin(), maps.end(), [view](const MapSlot& s) { return s.view == view; });
    if (slot == maps.end()) return false;
    MapSlot taken = *slot;
    *slot = MapSlot{};
    bool unmapped = ::munmap(const_cast<void*>(taken.view), taken.length) == 0;
    bool closed = OwnerClose(taken.file);
    return unmapped && closed;
}
