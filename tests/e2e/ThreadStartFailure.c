// Preloaded into a program under test: pthread_create fails with EAGAIN from
// the call that VISTREL_FAIL_THREAD_START numbers (1 = the first) on, as when
// the process has reached its limit of threads. VISTREL_THREAD_START_LOG names a
// file that gets one line per call: the file of the code that asked for the
// thread, so a test can tell which calls are a library's own.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef int (*CreateThread)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

static atomic_long calls;

static void LogCaller(const void* caller) {
  const char* log = getenv("VISTREL_THREAD_START_LOG");
  if (!log) return;
  Dl_info info;
  const char* name = dladdr(caller, &info) && info.dli_fname ? info.dli_fname : "?";
  const int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (write(fd, name, strlen(name)) < 0 || write(fd, "\n", 1) < 0) {
    // Nothing to do: the test finds the line missing.
  }
  close(fd);
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) {
  LogCaller(__builtin_return_address(0));
  const char* from = getenv("VISTREL_FAIL_THREAD_START");
  if (from && atol(from) > 0 && ++calls >= atol(from)) return EAGAIN;
  const CreateThread next = (CreateThread)dlsym(RTLD_NEXT, "pthread_create");
  return next(thread, attr, start, arg);
}
