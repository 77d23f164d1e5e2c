// Runs one command and prints what it cost:
//
//   run_measured STDIN_FILE STDOUT_FILE COMMAND [ARGS...]
//
// prints "WALL_S USER_S SYS_S PEAK_RSS_KIB EXIT_CODE" on standard output.
// The peak RSS the kernel reports for a child is at least that of the
// process it was forked from, so the child is forked from this small
// program rather than from the Python harness (whose 15 MB would show
// instead of the tool's own figure).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: run_measured STDIN STDOUT COMMAND [ARGS...]\n");
    return 2;
  }
  int in = open(argv[1], O_RDONLY | O_CLOEXEC);
  int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (in < 0 || out < 0) {
    std::perror("run_measured: open");
    return 2;
  }
  double start = Now();
  pid_t child = fork();
  if (child == 0) {
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    execv(argv[3], argv + 3);
    std::perror("run_measured: exec");
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) < 0) {
    std::perror("run_measured: fork or wait");
    return 2;
  }
  double wall = Now() - start;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::printf("%.6f %.6f %.6f %ld %d\n", wall, Seconds(usage.ru_utime),
              Seconds(usage.ru_stime), usage.ru_maxrss, code);
  return 0;
}
