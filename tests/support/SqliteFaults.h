#pragma once

#include <sqlite3.h>

namespace support {

// A file system layer for SQLite that passes everything to the real one
// and can be told to fail: locks (busy or an I/O error), writes (disk full)
// and opening the database for writing (a read-only file). It is installed
// as the default once and stays, doing nothing until a fault is set.
struct SqliteFaults {
    // Shared locks granted before every further one fails; -1 never fails.
    int locksBeforeFailure = -1;
    int lockError = SQLITE_BUSY;
    // Reads granted before every further one fails with an I/O error; -1
    // never fails.
    int readsBeforeFailure = -1;
    // Every write fails with writeError: SQLITE_FULL as on a full disk,
    // SQLITE_IOERR_WRITE as on a failing one.
    bool diskFull = false;
    int writeError = SQLITE_FULL;
    // Another process keeps the file from being written: the exclusive lock
    // that a commit needs stays busy.
    bool writeLocked = false;
    bool readOnly = false;
};
inline SqliteFaults gSqliteFaults;

inline sqlite3_vfs* gRealVfs = nullptr;

struct FaultFile {
    sqlite3_file base;
    sqlite3_file* real;
};

inline sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<FaultFile*>(file)->real;
}

inline const sqlite3_io_methods kFaultMethods = {
    1,
    [](sqlite3_file* f) {
        int rc = Real(f)->pMethods ? Real(f)->pMethods->xClose(Real(f)) : SQLITE_OK;
        return rc;
    },
    [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
        if (gSqliteFaults.readsBeforeFailure >= 0) {
            if (gSqliteFaults.readsBeforeFailure == 0)
                return SQLITE_IOERR_READ;
            --gSqliteFaults.readsBeforeFailure;
        }
        return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
    },
    [](sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
        if (gSqliteFaults.diskFull)
            return gSqliteFaults.writeError;
        return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
    },
    [](sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); },
    [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); },
    [](sqlite3_file* f, sqlite3_int64* size) {
        return Real(f)->pMethods->xFileSize(Real(f), size);
    },
    [](sqlite3_file* f, int level) {
        if (level == SQLITE_LOCK_SHARED && gSqliteFaults.locksBeforeFailure >= 0) {
            if (gSqliteFaults.locksBeforeFailure == 0)
                return gSqliteFaults.lockError;
            --gSqliteFaults.locksBeforeFailure;
        }
        if (level >= SQLITE_LOCK_PENDING && gSqliteFaults.writeLocked)
            return SQLITE_BUSY;
        return Real(f)->pMethods->xLock(Real(f), level);
    },
    [](sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); },
    [](sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); },
    [](sqlite3_file* f, int op, void* arg) {
        return Real(f)->pMethods->xFileControl(Real(f), op, arg);
    },
    [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
    [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

inline int FaultOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                     int* outFlags) {
    auto* fault = reinterpret_cast<FaultFile*>(file);
    fault->base.pMethods = nullptr;
    fault->real = reinterpret_cast<sqlite3_file*>(fault + 1);
    if (gSqliteFaults.readOnly && (flags & SQLITE_OPEN_MAIN_DB))
        flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    int rc = gRealVfs->xOpen(gRealVfs, name, fault->real, flags, outFlags);
    if (rc == SQLITE_OK)
        fault->base.pMethods = &kFaultMethods;
    return rc;
}

inline void InstallSqliteFaults() {
    static sqlite3_vfs vfs;
    if (gRealVfs)
        return;
    gRealVfs = sqlite3_vfs_find(nullptr);
    vfs = *gRealVfs;
    vfs.iVersion = 2;
    vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + gRealVfs->szOsFile;
    vfs.zName = "corvalo-faults";
    vfs.pAppData = nullptr;
    vfs.xOpen = FaultOpen;
    vfs.xDelete = [](sqlite3_vfs*, const char* name, int sync) {
        return gRealVfs->xDelete(gRealVfs, name, sync);
    };
    vfs.xAccess = [](sqlite3_vfs*, const char* name, int flags, int* out) {
        return gRealVfs->xAccess(gRealVfs, name, flags, out);
    };
    vfs.xFullPathname = [](sqlite3_vfs*, const char* name, int size, char* out) {
        return gRealVfs->xFullPathname(gRealVfs, name, size, out);
    };
    vfs.xDlOpen = [](sqlite3_vfs*, const char* name) { return gRealVfs->xDlOpen(gRealVfs, name); };
    vfs.xDlError = [](sqlite3_vfs*, int size, char* out) {
        gRealVfs->xDlError(gRealVfs, size, out);
    };
    vfs.xDlSym = [](sqlite3_vfs*, void* handle, const char* symbol) {
        return gRealVfs->xDlSym(gRealVfs, handle, symbol);
    };
    vfs.xDlClose = [](sqlite3_vfs*, void* handle) { gRealVfs->xDlClose(gRealVfs, handle); };
    vfs.xRandomness = [](sqlite3_vfs*, int size, char* out) {
        return gRealVfs->xRandomness(gRealVfs, size, out);
    };
    // The busy handler waits through this: no real waiting in tests.
    vfs.xSleep = [](sqlite3_vfs*, int microseconds) { return microseconds; };
    vfs.xCurrentTime = [](sqlite3_vfs*, double* now) {
        return gRealVfs->xCurrentTime(gRealVfs, now);
    };
    vfs.xGetLastError = [](sqlite3_vfs*, int size, char* out) {
        return gRealVfs->xGetLastError(gRealVfs, size, out);
    };
    vfs.xCurrentTimeInt64 = [](sqlite3_vfs*, sqlite3_int64* now) {
        return gRealVfs->xCurrentTimeInt64(gRealVfs, now);
    };
    vfs.xSetSystemCall = nullptr;
    vfs.xGetSystemCall = nullptr;
    vfs.xNextSystemCall = nullptr;
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace support
