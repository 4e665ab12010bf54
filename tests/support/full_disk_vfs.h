#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace koru::test {

// A disk that fills up: while it lives, every SQLite file this process opens writes through it,
// and a write past `budget` bytes fails with SQLITE_FULL, as on a full disk. Everything else is
// the system's own VFS.
class FullDiskVfs {
public:
    explicit FullDiskVfs(std::int64_t budget = std::numeric_limits<std::int64_t>::max())
        : m_budget(budget) {
        m_real = sqlite3_vfs_find(nullptr);
        if (!m_real) throw std::runtime_error("no SQLite VFS");
        m_vfs = *m_real;  // the dlopen and system-call entries ignore the VFS they are given
        m_vfs.zName = "koru-full-disk";
        m_vfs.pAppData = this;
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + m_real->szOsFile;
        m_vfs.xOpen = &open;
        m_vfs.xDelete = [](sqlite3_vfs* vfs, const char* name, int sync) {
            return real(vfs)->xDelete(real(vfs), name, sync);
        };
        m_vfs.xAccess = [](sqlite3_vfs* vfs, const char* name, int flags, int* result) {
            return real(vfs)->xAccess(real(vfs), name, flags, result);
        };
        m_vfs.xFullPathname = [](sqlite3_vfs* vfs, const char* name, int size, char* out) {
            return real(vfs)->xFullPathname(real(vfs), name, size, out);
        };
        if (sqlite3_vfs_register(&m_vfs, 1) != SQLITE_OK)
            throw std::runtime_error("cannot register the VFS");
    }
    ~FullDiskVfs() {
        sqlite3_vfs_register(m_real, 1);
        sqlite3_vfs_unregister(&m_vfs);
    }
    FullDiskVfs(const FullDiskVfs&) = delete;
    FullDiskVfs& operator=(const FullDiskVfs&) = delete;

    std::int64_t written() const { return m_written; }

private:
    struct File {
        sqlite3_file base;
        FullDiskVfs* disk;
        sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };

    static sqlite3_vfs* real(sqlite3_vfs* vfs) {
        return static_cast<FullDiskVfs*>(vfs->pAppData)->m_real;
    }
    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real(); }
    static const sqlite3_io_methods& methods(sqlite3_file* file) { return *real(file)->pMethods; }

    static int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags,
                    int* outFlags) {
        auto* shim = reinterpret_cast<File*>(file);
        shim->base.pMethods = nullptr;
        shim->disk = static_cast<FullDiskVfs*>(vfs->pAppData);
        shim->real()->pMethods = nullptr;
        int rc = real(vfs)->xOpen(real(vfs), name, shim->real(), flags, outFlags);
        // A file the real VFS set up must be closed through it, even when opening failed.
        if (shim->real()->pMethods) shim->base.pMethods = &kMethods;
        return rc;
    }

    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        FullDiskVfs& disk = *reinterpret_cast<File*>(file)->disk;
        if (disk.m_written + amount > disk.m_budget) return SQLITE_FULL;
        disk.m_written += amount;
        return methods(file).xWrite(real(file), data, amount, offset);
    }

    static constexpr sqlite3_io_methods kMethods = {
        3,
        [](sqlite3_file* f) { return methods(f).xClose(real(f)); },
        [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
            return methods(f).xRead(real(f), data, amount, offset);
        },
        &write,
        [](sqlite3_file* f, sqlite3_int64 size) { return methods(f).xTruncate(real(f), size); },
        [](sqlite3_file* f, int flags) { return methods(f).xSync(real(f), flags); },
        [](sqlite3_file* f, sqlite3_int64* size) { return methods(f).xFileSize(real(f), size); },
        [](sqlite3_file* f, int lock) { return methods(f).xLock(real(f), lock); },
        [](sqlite3_file* f, int lock) { return methods(f).xUnlock(real(f), lock); },
        [](sqlite3_file* f, int* result) { return methods(f).xCheckReservedLock(real(f), result); },
        [](sqlite3_file* f, int op, void* arg) {
            return methods(f).xFileControl(real(f), op, arg);
        },
        [](sqlite3_file* f) { return methods(f).xSectorSize(real(f)); },
        [](sqlite3_file* f) { return methods(f).xDeviceCharacteristics(real(f)); },
        [](sqlite3_file* f, int page, int size, int extend, void volatile** map) {
            return methods(f).xShmMap(real(f), page, size, extend, map);
        },
        [](sqlite3_file* f, int offset, int n, int flags) {
            return methods(f).xShmLock(real(f), offset, n, flags);
        },
        [](sqlite3_file* f) { methods(f).xShmBarrier(real(f)); },
        [](sqlite3_file* f, int deleteFlag) { return methods(f).xShmUnmap(real(f), deleteFlag); },
        // Pages are read, never written, through a mapping: a full disk does not concern them.
        [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** pages) {
            return methods(f).iVersion >= 3 ? methods(f).xFetch(real(f), offset, amount, pages)
                                            : (*pages = nullptr, SQLITE_OK);
        },
        [](sqlite3_file* f, sqlite3_int64 offset, void* pages) {
            return methods(f).iVersion >= 3 ? methods(f).xUnfetch(real(f), offset, pages)
                                            : SQLITE_OK;
        },
    };

    sqlite3_vfs* m_real = nullptr;
    sqlite3_vfs m_vfs{};
    std::int64_t m_budget;
    std::int64_t m_written = 0;
};

}  // namespace koru::test
