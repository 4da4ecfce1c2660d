#include "tests/sqlite_faults_support.h"

#include <cstring>

namespace search_testing {
namespace {

// Our file: the default file system's own follows it in the same block.
struct File {
  sqlite3_file base;
  FaultyFiles::State* state;
  sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

File* Of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }
sqlite3_file* RealOf(sqlite3_file* file) { return Of(file)->Real(); }

// The methods of the default file system's file, called through ours.
#define PASS_ON(method, ...) RealOf(file)->pMethods->method(RealOf(file) __VA_OPT__(, ) __VA_ARGS__)

int Close(sqlite3_file* file) { return PASS_ON(xClose); }
int Truncate(sqlite3_file* file, sqlite3_int64 size) { return PASS_ON(xTruncate, size); }
int Sync(sqlite3_file* file, int flags) { return PASS_ON(xSync, flags); }
int FileSize(sqlite3_file* file, sqlite3_int64* size) { return PASS_ON(xFileSize, size); }
int Lock(sqlite3_file* file, int level) { return PASS_ON(xLock, level); }
int Unlock(sqlite3_file* file, int level) { return PASS_ON(xUnlock, level); }
int CheckReservedLock(sqlite3_file* file, int* out) { return PASS_ON(xCheckReservedLock, out); }
int FileControl(sqlite3_file* file, int op, void* arg) { return PASS_ON(xFileControl, op, arg); }
int SectorSize(sqlite3_file* file) { return PASS_ON(xSectorSize); }
int DeviceCharacteristics(sqlite3_file* file) { return PASS_ON(xDeviceCharacteristics); }
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
  return PASS_ON(xShmMap, region, size, extend, out);
}
int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return PASS_ON(xShmLock, offset, n, flags);
}
void ShmBarrier(sqlite3_file* file) { PASS_ON(xShmBarrier); }
int ShmUnmap(sqlite3_file* file, int remove) { return PASS_ON(xShmUnmap, remove); }
int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  return PASS_ON(xFetch, offset, amount, out);
}
int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  return PASS_ON(xUnfetch, offset, page);
}

int FaultyRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  FaultyFiles::State& state = *Of(file)->state;
  if (const int error = state.read_error.load(); error != SQLITE_OK) {
    state.faults.fetch_add(1);
    return error;
  }
  return PASS_ON(xRead, buffer, amount, offset);
}

int FaultyWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  FaultyFiles::State& state = *Of(file)->state;
  if (const int error = state.write_error.load(); error != SQLITE_OK) {
    state.faults.fetch_add(1);
    return error;
  }
  return PASS_ON(xWrite, data, amount, offset);
}

#undef PASS_ON

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     FaultyRead,
                                     FaultyWrite,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

}  // namespace

FaultyFiles::FaultyFiles() : real_(sqlite3_vfs_find(nullptr)) {
  vfs_ = *real_;
  vfs_.iVersion = 2;
  vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
  vfs_.zName = "veltrano-faulty";
  vfs_.pAppData = this;
  vfs_.xOpen = &FaultyFiles::Open;
  vfs_.xSleep = &FaultyFiles::Sleep;
  // The rest are the default file system's, called with its own object.
  vfs_.xDelete = [](sqlite3_vfs* vfs, const char* name, int sync) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xDelete(real, name, sync);
  };
  vfs_.xAccess = [](sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xAccess(real, name, flags, out);
  };
  vfs_.xFullPathname = [](sqlite3_vfs* vfs, const char* name, int size, char* out) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xFullPathname(real, name, size, out);
  };
  vfs_.xDlOpen = nullptr;
  vfs_.xDlError = nullptr;
  vfs_.xDlSym = nullptr;
  vfs_.xDlClose = nullptr;
  vfs_.xRandomness = [](sqlite3_vfs* vfs, int size, char* out) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xRandomness(real, size, out);
  };
  vfs_.xCurrentTime = [](sqlite3_vfs* vfs, double* out) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xCurrentTime(real, out);
  };
  vfs_.xGetLastError = [](sqlite3_vfs* vfs, int size, char* out) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xGetLastError(real, size, out);
  };
  vfs_.xCurrentTimeInt64 = [](sqlite3_vfs* vfs, sqlite3_int64* out) {
    sqlite3_vfs* real = static_cast<FaultyFiles*>(vfs->pAppData)->real_;
    return real->xCurrentTimeInt64(real, out);
  };
  sqlite3_vfs_register(&vfs_, 1);
}

FaultyFiles::~FaultyFiles() { sqlite3_vfs_unregister(&vfs_); }

int FaultyFiles::Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out) {
  FaultyFiles& self = *static_cast<FaultyFiles*>(vfs->pAppData);
  File* ours = Of(file);
  std::memset(ours, 0, sizeof(File));
  const int result = self.real_->xOpen(self.real_, name, ours->Real(), flags, out);
  if (result == SQLITE_OK && ours->Real()->pMethods != nullptr) {
    ours->state = &self.state_;
    ours->base.pMethods = &kMethods;
  } else if (ours->Real()->pMethods != nullptr) {
    ours->Real()->pMethods->xClose(ours->Real());
  }
  return result;
}

int FaultyFiles::Sleep(sqlite3_vfs* vfs, int microseconds) {
  FaultyFiles& self = *static_cast<FaultyFiles*>(vfs->pAppData);
  self.state_.faults.fetch_add(1);
  if (self.state_.real_sleeps) return self.real_->xSleep(self.real_, microseconds);
  return microseconds;
}

}  // namespace search_testing
