/* Benchmark-only preload: makes listen() use the backlog in
 * IDS_BENCH_BACKLOG, to measure how the server's listen backlog shapes the
 * console figures without building another server. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/socket.h>

int listen(int fd, int backlog) {
  static int (*real_listen)(int, int);
  if (!real_listen) real_listen = (int (*)(int, int))dlsym(RTLD_NEXT, "listen");
  const char* value = getenv("IDS_BENCH_BACKLOG");
  if (value && atoi(value) > 0) backlog = atoi(value);
  return real_listen(fd, backlog);
}
