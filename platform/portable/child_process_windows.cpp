// The worker behind RunInWorker on Windows, which has no fork: this same program started again by
// CreateProcess with a worker argument, inside a job object that caps its memory and ends it with
// the viewer. Requests and answers travel on a named pipe that the caller waits on with a
// deadline; a worker that crashed, hung or misbehaved is ended with TerminateProcess.
#include "platform/portable/child_process.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// As on the desktop: a vertex count of a billion in a small file has Assimp reserve gigabytes.
// Past this much committed memory, the worker's allocations fail and so does the job.
constexpr SIZE_T kChildMemoryBudget = SIZE_T{4} << 30;

// The worker's command line: the program, this word, and the inherited handle of its pipe end.
constexpr char kWorkerArgument[] = "--crs-loader-worker";

// What travels on the pipe: the request, then its input; the reply, then its answer. The job is
// sent as its offset in the program's image, which the worker loads at another address.
struct Request {
    std::uint64_t jobOffset;
    std::int64_t argument;
    std::uint64_t inputSize;
};

struct Reply {
    std::uint64_t succeeded;  // 1 or 0; a failed job sends no bytes
    std::uint64_t size;
};

std::uintptr_t ImageBase()
{
    return reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr));
}

// The worker's side blocks: the caller's deadline and TerminateProcess bound it.
bool ReadFully(HANDLE pipe, void* data, std::size_t size)
{
    auto* at = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        DWORD n = 0;
        const DWORD most = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!::ReadFile(pipe, at, most, &n, nullptr) || n == 0) return false;
        at += n;
        size -= n;
    }
    return true;
}

bool WriteFully(HANDLE pipe, const void* data, std::size_t size)
{
    const auto* at = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        DWORD n = 0;
        const DWORD most = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!::WriteFile(pipe, at, most, &n, nullptr) || n == 0) return false;
        at += n;
        size -= n;
    }
    return true;
}

// Every request is read whole before its job runs, so a caller writing a large input never waits
// on a worker that is writing its answer.
[[noreturn]] void Serve(HANDLE pipe)
{
    // A crash ends the worker quietly, without Windows' error dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    for (;;) {
        Request request;
        if (!ReadFully(pipe, &request, sizeof request)) ::ExitProcess(0);
        std::vector<std::uint8_t> input(request.inputSize);
        if (!ReadFully(pipe, input.data(), input.size())) ::ExitProcess(0);
        const auto job = reinterpret_cast<WorkerJob>(ImageBase() + request.jobOffset);
        std::vector<std::uint8_t> output;
        const bool succeeded = RunJobHere(job, static_cast<int>(request.argument), input, output);
        const Reply reply{succeeded ? 1u : 0u, output.size()};
        if (!WriteFully(pipe, &reply, sizeof reply) ||
            !WriteFully(pipe, output.data(), output.size()))
            ::ExitProcess(0);
    }
}

struct Worker {
    HANDLE process = nullptr;
    HANDLE job = nullptr;   // holds the process; closing it ends the process
    HANDLE pipe = nullptr;  // the caller's end, overlapped
    HANDLE event = nullptr;
};

// Requests from several threads wait for each other. (The toolchain's win32 thread model has no
// std::mutex.)
SRWLOCK workerLock = SRWLOCK_INIT;
Worker worker;

void StopWorker()
{
    ::TerminateProcess(worker.process, 1);
    ::WaitForSingleObject(worker.process, INFINITE);
    for (HANDLE handle : {worker.process, worker.job, worker.pipe, worker.event})
        ::CloseHandle(handle);
    worker = Worker{};
}

// A job object whose process may commit kChildMemoryBudget and dies when the job's last handle
// closes, which at the latest is when the viewer ends.
HANDLE MakeJob()
{
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_PROCESS_MEMORY |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.ProcessMemoryLimit = kChildMemoryBudget;
    if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits)) {
        ::CloseHandle(job);
        return nullptr;
    }
    return job;
}

// Starts the worker suspended, puts it in its job and lets it run; its end of the pipe is the one
// handle it inherits.
bool StartWorker()
{
    static unsigned serial = 0;
    const std::wstring name = L"\\\\.\\pipe\\crs-move-pos-loader-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++serial);
    Worker made;
    made.pipe = ::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536,
        65536, 0, nullptr);
    if (made.pipe == INVALID_HANDLE_VALUE) return false;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE end = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited,
                               OPEN_EXISTING, 0, nullptr);
    made.event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    made.job = MakeJob();
    wchar_t program[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    bool started = false;
    if (end != INVALID_HANDLE_VALUE && made.event != nullptr && made.job != nullptr &&
        length > 0 && length < MAX_PATH) {
        std::wstring commandLine = L"\"" + std::wstring(program) + L"\" " +
                                   std::wstring(kWorkerArgument, kWorkerArgument +
                                                std::strlen(kWorkerArgument)) +
                                   L" " + std::to_wstring(reinterpret_cast<std::uintptr_t>(end));
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (::CreateProcessW(program, commandLine.data(), nullptr, nullptr, TRUE,
                             CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                             &info)) {
            made.process = info.hProcess;
            started = ::AssignProcessToJobObject(made.job, info.hProcess) &&
                      ::ResumeThread(info.hThread) != static_cast<DWORD>(-1);
            if (!started) ::TerminateProcess(info.hProcess, 1);
            ::CloseHandle(info.hThread);
        }
    }
    if (end != INVALID_HANDLE_VALUE) ::CloseHandle(end);
    if (!started) {
        for (HANDLE handle : {made.process, made.job, made.pipe, made.event})
            if (handle != nullptr) ::CloseHandle(handle);
        return false;
    }
    worker = made;
    return true;
}

// An idle worker is alive and has sent nothing; bytes or a broken pipe between requests mean it
// died or misbehaved.
bool WorkerIdle()
{
    DWORD waiting = 0;
    return ::WaitForSingleObject(worker.process, 0) == WAIT_TIMEOUT &&
           ::PeekNamedPipe(worker.pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting == 0;
}

using Clock = std::chrono::steady_clock;

// One read or write on the pipe, waited for until the deadline; the bytes moved, or -1 when it
// failed or the deadline passed (the transfer is then cancelled).
long long Transfer(bool writing, void* data, std::size_t size, Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return -1;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = worker.event;
    ::ResetEvent(worker.event);
    const DWORD most = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
    const BOOL done = writing ? ::WriteFile(worker.pipe, data, most, nullptr, &overlapped)
                              : ::ReadFile(worker.pipe, data, most, nullptr, &overlapped);
    if (!done && ::GetLastError() != ERROR_IO_PENDING) return -1;
    DWORD moved = 0;
    if (!done && ::WaitForSingleObject(worker.event, static_cast<DWORD>(std::min<long long>(
                                                         left, 1 << 30))) != WAIT_OBJECT_0) {
        ::CancelIoEx(worker.pipe, &overlapped);
        ::GetOverlappedResult(worker.pipe, &overlapped, &moved, TRUE);
        return -1;
    }
    if (!::GetOverlappedResult(worker.pipe, &overlapped, &moved, FALSE) || moved == 0) return -1;
    return moved;
}

bool SendBy(const void* data, std::size_t size, Clock::time_point deadline)
{
    auto* at = static_cast<std::uint8_t*>(const_cast<void*>(data));
    while (size > 0) {
        const long long n = Transfer(true, at, size, deadline);
        if (n < 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReceiveBy(void* data, std::size_t size, Clock::time_point deadline)
{
    auto* at = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        const long long n = Transfer(false, at, size, deadline);
        if (n < 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The size has been held to the caller's limit; the answer grows as it comes, so a worker that
// promises much and sends little leaves it small.
bool ReceiveAnswer(std::vector<std::uint8_t>& answer, std::size_t size, Clock::time_point deadline)
{
    answer.reserve(size);
    std::uint8_t chunk[65536];
    while (answer.size() < size) {
        const std::size_t most = std::min(size - answer.size(), sizeof chunk);
        const long long n = Transfer(false, chunk, most, deadline);
        if (n < 0) return false;
        answer.insert(answer.end(), chunk, chunk + n);
    }
    return true;
}

}  // namespace

bool RunInWorker(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                 std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes)
{
    answer.clear();
    struct Hold {
        Hold() { ::AcquireSRWLockExclusive(&workerLock); }
        ~Hold() { ::ReleaseSRWLockExclusive(&workerLock); }
    } hold;
    if (worker.process != nullptr && !WorkerIdle()) StopWorker();
    if (worker.process == nullptr && !StartWorker()) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const Request request{reinterpret_cast<std::uintptr_t>(job) - ImageBase(),
                          argument, input.size()};
    Reply reply{};
    const bool answered = SendBy(&request, sizeof request, deadline) &&
                          SendBy(input.data(), input.size(), deadline) &&
                          ReceiveBy(&reply, sizeof reply, deadline) && reply.succeeded <= 1 &&
                          reply.size <= (reply.succeeded ? maxBytes : 0) &&
                          ReceiveAnswer(answer, reply.size, deadline);
    if (!answered) {
        StopWorker();
        answer.clear();
        return false;
    }
    return reply.succeeded == 1;
}

// The program's entry, taken over by the linker (--wrap=WinMain, platform/CMakeLists.txt): started
// as a worker it serves its caller and never reaches the program's own WinMain.
extern "C" int WINAPI __real_WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                                     int show);

extern "C" int WINAPI __wrap_WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                                     int show)
{
    const std::size_t length = std::strlen(kWorkerArgument);
    if (commandLine != nullptr && std::strncmp(commandLine, kWorkerArgument, length) == 0 &&
        commandLine[length] == ' ') {
        char* end = nullptr;
        const unsigned long long handle = std::strtoull(commandLine + length + 1, &end, 10);
        if (end != commandLine + length + 1 && *end == '\0')
            Serve(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle)));
        return 1;
    }
    return __real_WinMain(instance, previous, commandLine, show);
}
