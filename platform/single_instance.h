#pragma once
// The system-wide marker that one instance of the program runs: a named
// mutex on Windows, a locked file in the temporary directory on POSIX. It is
// only ever tested, never waited on.

#include <string>

namespace platform {

class SingleInstance {
 public:
  // Checks for a running instance named `name`; when there is none, becomes
  // the running instance until destroyed.
  explicit SingleInstance(const std::string& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another instance held the marker at construction; this object
  // then holds nothing.
  bool AnotherInstanceRuns() const { return another_runs_; }

 private:
  bool another_runs_ = false;
#ifdef _WIN32
  void* handle_ = nullptr;  // the mutex
#else
  int fd_ = -1;  // the locked file
#endif
};

}  // namespace platform
