// Preloaded into a program under test: pthread_create fails with EAGAIN from
// the call that VISTREL_FAIL_THREAD_START numbers (1 = the first) on, as when
// the process has reached its limit of threads.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdlib.h>

typedef int (*CreateThread)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

static atomic_long calls;

int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg) {
  const char* from = getenv("VISTREL_FAIL_THREAD_START");
  if (from && atol(from) > 0 && ++calls >= atol(from)) return EAGAIN;
  const CreateThread next = (CreateThread)dlsym(RTLD_NEXT, "pthread_create");
  return next(thread, attr, start, arg);
}
