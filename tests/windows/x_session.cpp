// Processes through fork and exec, X operations through xdotool and ImageMagick's import, and the
// close request through Xlib, which no command-line tool sends. Children get process groups of
// their own, so that stopping one also stops what it started.
#include "x_session.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(double seconds)
{
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(seconds));
}

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// In the child: own process group, the given directory and standard output, then argv.
[[noreturn]] void Exec(const std::vector<std::string>& argv, const std::string& dir, int outFd)
{
    setpgid(0, 0);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDIN_FILENO);
    dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

pid_t StartProcess(const std::vector<std::string>& argv, const std::string& dir)
{
    const pid_t child = fork();
    if (child == 0) Exec(argv, dir, -1);
    if (child > 0) setpgid(child, child);   // also here, so that the group exists before any kill
    return child;
}

bool WaitForExit(pid_t pid, double seconds, int* exitStatus)
{
    const Clock::time_point deadline = Deadline(seconds);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        }
        if (done < 0 || Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void StopProcess(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, WNOHANG) == pid) return;
    kill(-pid, SIGTERM);
    if (WaitForExit(pid, 5.0, &status)) return;
    kill(-pid, SIGKILL);
    waitpid(pid, &status, 0);
}

RunResult RunProgram(const std::vector<std::string>& argv, double seconds)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {-1, ""};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        Exec(argv, "", pipeFds[1]);
    }
    close(pipeFds[1]);
    RunResult result{-1, ""};
    if (child < 0) {
        close(pipeFds[0]);
        return result;
    }
    setpgid(child, child);

    // Read to the end of the output first: a large capture would otherwise fill the pipe.
    const Clock::time_point deadline = Deadline(seconds);
    char buffer[65536];
    for (;;) {
        pollfd pfd{pipeFds[0], POLLIN, 0};
        const int ready = poll(&pfd, 1, MillisecondsLeft(deadline));
        if (ready <= 0) break;
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.out.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    if (!WaitForExit(child, MillisecondsLeft(deadline) / 1000.0, &result.status)) {
        StopProcess(child);
        result.status = -1;
    }
    return result;
}

pid_t StartXvfb()
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        // Xvfb picks a free display itself and writes its number to the descriptor.
        Exec({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1024x768x24",
              "-nolisten", "tcp"},
             "", -1);
    }
    close(pipeFds[1]);
    if (child < 0) {
        close(pipeFds[0]);
        return -1;
    }
    setpgid(child, child);
    std::string number;
    const Clock::time_point deadline = Deadline(20.0);
    char c = 0;
    for (;;) {
        pollfd pfd{pipeFds[0], POLLIN, 0};
        if (poll(&pfd, 1, MillisecondsLeft(deadline)) <= 0 || read(pipeFds[0], &c, 1) != 1) break;
        if (c == '\n') break;
        number += c;
    }
    close(pipeFds[0]);
    if (c != '\n' || number.empty()) {
        StopProcess(child);
        return -1;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return child;
}

std::string FindWindow(const std::string& titleRegex, double seconds)
{
    const Clock::time_point deadline = Deadline(seconds);
    for (;;) {
        const RunResult search =
            RunProgram({"xdotool", "search", "--onlyvisible", "--name", titleRegex}, 10.0);
        const std::vector<std::string> found = Lines(search.out);
        if (!found.empty()) return found.front();
        if (Clock::now() >= deadline) return "";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

std::string WindowTitle(const std::string& window)
{
    const std::vector<std::string> lines =
        Lines(RunProgram({"xdotool", "getwindowname", window}, 10.0).out);
    return lines.empty() ? "" : lines.front();
}

bool WindowGeometry(const std::string& window, int* x, int* y, int* width, int* height)
{
    // --shell prints WINDOW=, X=, Y=, WIDTH=, HEIGHT= and SCREEN=, one to a line.
    int found = 0;
    for (const std::string& line :
         Lines(RunProgram({"xdotool", "getwindowgeometry", "--shell", window}, 10.0).out)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        int* target = key == "X" ? x : key == "Y" ? y : key == "WIDTH" ? width
                    : key == "HEIGHT" ? height : nullptr;
        if (target != nullptr) {
            *target = value;
            found++;
        }
    }
    return found == 4;
}

void PressKeys(const std::string& window, const std::vector<std::string>& keys)
{
    RunProgram({"xdotool", "windowfocus", window}, 10.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<std::string> command = {"xdotool", "key", "--delay", "60"};
    command.insert(command.end(), keys.begin(), keys.end());
    RunProgram(command, 30.0);
}

bool SendCloseRequest(const std::string& window)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(window.c_str(), nullptr, 10);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent != 0;
}

Image CaptureWindow(const std::string& window)
{
    const RunResult capture =
        RunProgram({"import", "-window", window, "-depth", "8", "ppm:-"}, 30.0);
    Image image;
    // Binary PPM: "P6", width, height, maximum value 255, one whitespace byte, then the pixels.
    std::istringstream header(capture.out);
    std::string magic;
    int maxValue = 0;
    header >> magic >> image.width >> image.height >> maxValue;
    if (capture.status != 0 || !header || magic != "P6" || maxValue != 255) return Image{};
    const std::size_t start = static_cast<std::size_t>(header.tellg()) + 1;
    const std::size_t size = static_cast<std::size_t>(image.width) * image.height * 3;
    if (capture.out.size() < start + size) return Image{};
    image.rgb.assign(capture.out.begin() + static_cast<std::ptrdiff_t>(start),
                     capture.out.begin() + static_cast<std::ptrdiff_t>(start + size));
    return image;
}

bool UseWinePrefix(const std::string& prefix)
{
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    const std::string registry = prefix + "/system.reg";
    if (access(registry.c_str(), F_OK) != 0) {
        RunProgram({"wineboot", "-i"}, 300.0);
        RunProgram({"wineserver", "-w"}, 120.0);
    }
    return access(registry.c_str(), F_OK) == 0;
}
