// The file operations of the platform contract (disk files, memory files and
// mapped files) on POSIX, shared by every host: the SDL host, the scripted
// platform and the headless runner all forward their file slots here.
//
// Game names use backslashes ("Config\Text.txt") and are relative to the
// game's folders: a relative name opened for writing goes to the save folder
// (HiScore.dat lives with the user); one opened for reading is looked for in
// the save folder first and then in the data folder, so a modder can override
// a Config file without touching the installed data. Absolute names are used
// as they are. When a name is not found as spelled, each part of it is
// matched without regard to letter case, as the game was written for a file
// system that ignores case.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

class FileServices {
public:
    static constexpr int kMemorySlots = 10;
    static constexpr int kMapSlots = 10;
    // Every byte a memory file hands out is XORed with this key.
    static constexpr u8 kMemoryKey = 0xB7;

    // owner: the platform object whose virtual FileOpen/FileClose the mapping
    // goes through (so a replaced file layer serves FileMap too). May be null,
    // in which case the mapping uses this object's own Open/Close.
    explicit FileServices(PlatformServices* owner = nullptr);
    // Unmaps every view still mapped and closes every disk file still open.
    ~FileServices();
    FileServices(const FileServices&) = delete;
    FileServices& operator=(const FileServices&) = delete;

    // Folders for relative names. Empty means the current directory for the
    // data folder; an empty save folder makes writes go to the data folder.
    void SetDataFolder(std::string dir);
    // Also removes the temporary "*.new" files a save killed half-way left in
    // that folder: the file they were to replace is still whole.
    void SetSaveFolder(std::string dir);
    const std::string& DataFolder() const { return dataFolder; }
    const std::string& SaveFolder() const { return saveFolder; }

    // The host path a game name refers to when opened for reading (the first
    // existing candidate, or the data folder's when none exists) or for
    // writing.
    std::string PathForReading(const char* gameName) const;
    std::string PathForWriting(const char* gameName) const;

    // Slots 26-34, with the contracts of PlatformServices.h.
    FileHandle Open(const char* nameOrBase, u8 mode, u32 memorySize);
    bool Close(FileHandle h, bool isMemory);
    i32 Read(FileHandle h, void* buffer, i32 count, bool isMemory);
    i32 Write(FileHandle h, const void* buffer, u32 count, bool isMemory);
    bool Seek(FileHandle h, i32 offset, u32 origin, bool isMemory);
    u32 GetSize(FileHandle h, bool isMemory);
    i32 Tell(FileHandle h, bool isMemory);
    const void* Map(const char* name);
    bool Unmap(const void* view);

    // Read-outs for tests and diagnostics.
    int OpenDiskFileCount() const;
    int UsedMemorySlots() const;
    int UsedMapSlots() const;
    // The files mapped now: each view with its length in bytes, in slot order.
    struct MappedView {
        const void* view;
        std::size_t length;
    };
    std::vector<MappedView> MappedViews() const;

private:
    struct MemorySlot {
        const u8* base = nullptr;  // null: free
        u32 size = 0;
        u32 position = 0;
    };
    struct MapSlot {
        FileHandle file = kNoFile;
        std::size_t length = 0;      // bytes mapped (the "mapping")
        const void* view = nullptr;  // null: free
    };
    struct OpenFile {
        int fd = -1;
        unsigned long long device = 0;
        unsigned long long inode = 0;
        // A file opened for writing only is written beside its target and
        // replaces it at FileClose, and only when every write succeeded.
        std::string target;  // empty: written in place
        std::string temp;
        bool writeFailed = false;
        int writeError = 0;  // errno of the failed write
    };

    MemorySlot* FindMemory(FileHandle h);
    const OpenFile* FindDisk(FileHandle h) const;
    bool IsOpenOnDisk(const std::string& path) const;
    OpenFile* FindDiskMutable(FileHandle h);
    FileHandle OpenDisk(const char* name, u8 mode);
    bool CloseDisk(FileHandle h);
    FileHandle OwnerOpen(const char* name);
    bool OwnerClose(FileHandle h);

    PlatformServices* owner;
    std::string dataFolder;
    std::string saveFolder;
    std::array<MemorySlot, kMemorySlots> memory{};
    std::array<MapSlot, kMapSlots> maps{};
    std::vector<OpenFile> openFiles;
};
