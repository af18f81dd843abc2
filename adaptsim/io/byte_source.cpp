#include "adaptsim/io/byte_source.h"

#include <fcntl.h>

#include <cerrno>
#include <istream>

#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#define ADAPTSIM_READ _read
#define ADAPTSIM_CLOSE _close
#define ADAPTSIM_SEEK _lseeki64
#define ADAPTSIM_OPEN_FLAGS (_O_RDONLY | _O_BINARY)
#else
#include <poll.h>
#include <unistd.h>
#define ADAPTSIM_READ ::read
#define ADAPTSIM_CLOSE ::close
#define ADAPTSIM_SEEK ::lseek
#define ADAPTSIM_OPEN_FLAGS O_RDONLY
#endif

namespace {

constexpr int kWaitMilliseconds = 100;

// Where reading of a regular file starts, or -1 for anything else.
long long RegularFileOffset(int descriptor) {
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0 || (status.st_mode & S_IFMT) != S_IFREG) return -1;
  return static_cast<long long>(ADAPTSIM_SEEK(descriptor, 0, SEEK_CUR));
}

}  // namespace

long StreamSource::read(char* buffer, size_t size) {
  in.read(buffer, static_cast<std::streamsize>(size));
  const long got = static_cast<long>(in.gcount());
  if (got > 0) return got;
  return in.bad() ? kFailed : kEnd;
}

DescriptorSource::DescriptorSource(const std::string& path) {
  if (path.empty() || path == "-") {
    descriptor = 0;
  } else {
    descriptor = ::open(path.c_str(), ADAPTSIM_OPEN_FLAGS);
    owned = descriptor >= 0;
  }
  startOffset = RegularFileOffset(descriptor);
}

bool DescriptorSource::restart() {
  return canRestart() && ADAPTSIM_SEEK(descriptor, startOffset, SEEK_SET) == startOffset;
}

DescriptorSource::~DescriptorSource() {
  if (owned) ADAPTSIM_CLOSE(descriptor);
}

long DescriptorSource::read(char* buffer, size_t size) {
#ifndef _WIN32
  // A signal that arrives just before the read would not end it: the wait
  // is cut into short ones, each returning to the caller to look for it.
  pollfd ready{descriptor, POLLIN, 0};
  const int polled = poll(&ready, 1, kWaitMilliseconds);
  if (polled == 0 || (polled < 0 && errno == EINTR)) return kInterrupted;
#endif
  // A signal handler installed without restarting makes a waiting read
  // return early: the caller decides whether that was an interrupt.
  const long got = static_cast<long>(ADAPTSIM_READ(descriptor, buffer, static_cast<unsigned>(size)));
  if (got >= 0) return got;
  return errno == EINTR ? kInterrupted : kFailed;
}
