#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

SingleInstance::SingleInstance(const std::string& name) {
  const char* temp = std::getenv("TMPDIR");
  const std::string path = std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/" +
                           name + ".instance";
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;  // no marker can be made: run without one
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    close(fd_);
    fd_ = -1;
    another_runs_ = true;
  }
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) close(fd_);  // closing releases the lock
}

}  // namespace platform
