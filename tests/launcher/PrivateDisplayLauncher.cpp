// Runs one command on an X server of its own, so that tests run side by side
// never share a display, its pointer or its keyboard focus:
//
//     zendra-private-display command [arguments...]
//
// Starts Xvfb (1280 x 1024, 24 bits, GLX) on the first free display number,
// waits until it is ready, sets DISPLAY to it and becomes the command (exec),
// so the command's exit code and signals are the test's own. The server is
// the command's child and ends with it: the kernel sends it SIGTERM when the
// command's process ends, however it ends (a crash, or ctest killing it at
// its time limit). A server that does not come up within the deadline fails
// the run with a message on standard error and exit code 125.
//
// Mesa's software renderer starts one drawing thread per processor: tests
// run side by side would each start as many, and a loaded machine crawls.
// When ZENDRA_JOBS says how many tests run at once, the command's renderer
// gets its share of the processors this process may use (LP_NUM_THREADS:
// drawing threads besides the command's own; 0 draws on its own thread). A
// LP_NUM_THREADS already set is kept.
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A loaded machine starts Xvfb slowly; an idle one in about a tenth of a second.
constexpr int SERVER_READY_DEADLINE_MS = 60000;
constexpr int EXIT_SERVER_FAILED = 125;

// Starts the server writing its display number into `numberFd`; its pid.
pid_t StartServer(int numberFd, int otherFd)
{
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Dies with the command; the check covers a command that ended before
    // the request was made.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(0);
    ::close(otherFd);
    // Nothing of ctest's reaches the server: ctest waits for its output pipe
    // to close, which a server holding it open would delay.
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != numberFd) ::close(fd);
    const std::string fd = std::to_string(numberFd);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "+extension", "GLX", static_cast<char*>(nullptr));
    ::_exit(127);
}

// The display number the server writes once it accepts clients; empty when
// it ended or the deadline passed first.
std::string ReadDisplayNumber(int fd)
{
    std::string number;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(SERVER_READY_DEADLINE_MS);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::string();
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char c = 0;
        if (::read(fd, &c, 1) != 1) return std::string();
        if (c == '\n') return number;
        number += c;
    }
}

// The drawing threads for a command that shares the processors with
// `jobs` - 1 others; -1 when the share is not known.
int RendererThreads(const char* jobsText)
{
    const int jobs = jobsText ? std::atoi(jobsText) : 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (jobs <= 0 || ::sched_getaffinity(0, sizeof(set), &set) != 0) return -1;
    const int share = CPU_COUNT(&set) / jobs;
    return share > 1 ? share - 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s command [arguments...]\n", argv[0]);
        return 2;
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("zendra-private-display: pipe");
        return EXIT_SERVER_FAILED;
    }
    const pid_t server = StartServer(fds[1], fds[0]);
    ::close(fds[1]);
    const std::string number = server > 0 ? ReadDisplayNumber(fds[0]) : std::string();
    ::close(fds[0]);
    if (number.empty()) {
        std::fprintf(stderr, "zendra-private-display: Xvfb did not start within %d s\n",
                     SERVER_READY_DEADLINE_MS / 1000);
        if (server > 0) ::kill(server, SIGKILL);
        return EXIT_SERVER_FAILED;
    }
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    const int threads = RendererThreads(std::getenv("ZENDRA_JOBS"));
    if (threads >= 0) ::setenv("LP_NUM_THREADS", std::to_string(threads).c_str(), 0);
    ::unsetenv("WAYLAND_DISPLAY");
    ::execvp(argv[1], argv + 1);
    std::perror("zendra-private-display: exec");
    ::kill(server, SIGKILL);
    return 127;
}
