// The benchmark program that scripts/bench drives, one step per call: it makes the data
// it measures through the real API, times one way of removing it, or starts the program
// and reads its counters. Each timing is printed alone on a line (milliseconds), with
// what the way left behind, so that the script can check every way did the same job.
#include <windows.h>
#include <wininet.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <resource.h>

#include "engine/FolderCleaner.h"
#include "platform/AnsiText.h"
#include "engine/ProtectedSet.h"
#include "support/OwnPolicy.h"
#include "engine/TaskCatalogue.h"
#include "engine/UrlCache.h"
#include "platform/Handle.h"
#include "settings/SettingsStore.h"
#include "support/EngineScratch.h"
#include "support/ReferenceSweeps.h"
#include "triggers/ScheduleTriggers.h"

namespace corvale {
namespace {

constexpr char kProgramTitle[] = "Corvale";
constexpr char kBaselineTitle[] = "Corvale bench window";
constexpr DWORD kWindowWaitMs = 30000;

double Milliseconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency{}, start{}, end{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    work();
    ::QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// FOLDERS folders, a tenth of them at the top and the rest below those, and FILES files of
// 1 KB dealt round them; every tenth file read-only, every tenth hidden, every tenth
// system and hidden, and folders likewise.
void MakeTree(const std::string& root, int files, int folders)
{
    const int tops = folders / 10 > 0 ? folders / 10 : 1;
    std::vector<std::string> paths;
    for (int i = 0; i < folders; ++i) {
        const std::string top = root + "\\t" + std::to_string(i % tops);
        paths.push_back(i < tops ? top : top + "\\s" + std::to_string(i));
        (void)::CreateDirectoryA(paths.back().c_str(), nullptr);
    }
    const std::string kilobyte(1024, 'k');
    constexpr DWORD kAttributes[10] = {0, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
                                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN};
    for (int i = 0; i < files; ++i) {
        const std::string path = paths[i % folders] + "\\f" + std::to_string(i) + ".dat";
        test::WriteFileBytes(path, kilobyte);
        if (kAttributes[i % 10] != 0)
            (void)::SetFileAttributesA(path.c_str(), kAttributes[i % 10]);
    }
    for (int i = 0; i < folders; ++i) {
        if (kAttributes[(i + 7) % 10] != 0)
            (void)::SetFileAttributesA(paths[i].c_str(), kAttributes[(i + 7) % 10]);
    }
}

// "files folders read-only hidden system" below the folder, as the find data tells.
void CountTree(const std::string& folder, long counts[5])
{
    WIN32_FIND_DATAA entry{};
    FindHandle find(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!find)
        return;
    do {
        if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0)
            continue;
        const DWORD attributes = entry.dwFileAttributes;
        ++counts[(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0];
        counts[2] += (attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
        counts[3] += (attributes & FILE_ATTRIBUTE_HIDDEN) ? 1 : 0;
        counts[4] += (attributes & FILE_ATTRIBUTE_SYSTEM) ? 1 : 0;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            CountTree(folder + "\\" + entry.cFileName, counts);
    } while (::FindNextFileA(find.Get(), &entry));
}

std::string TreeCounts(const std::string& folder)
{
    long counts[5] = {};
    CountTree(folder, counts);
    char text[96];
    std::snprintf(text, sizeof(text), "%ld %ld %ld %ld %ld", counts[0], counts[1], counts[2], counts[3], counts[4]);
    return text;
}

// "ms what-is-left": the work is timed alone, and what it left counted after it.
void PrintTiming(const std::function<void()>& work, const std::function<std::string()>& left)
{
    const double ms = Milliseconds(work);
    std::printf("%.1f %s\n", ms, left().c_str());
}

std::string CacheEntriesLeft()
{
    return std::to_string(test::CacheUrls(false).size());
}

// The platform's floor for the cache: every content entry (neither a cookie nor history),
// deleted as met.
void BareCacheLoop()
{
    constexpr DWORD kBufferSize = 65536;
    std::vector<std::uint64_t> buffer(kBufferSize / sizeof(std::uint64_t));
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    DWORD size = kBufferSize;
    entry->dwStructSize = size;
    UrlCacheFindHandle find(::FindFirstUrlCacheEntryW(nullptr, entry, &size));
    if (!find)
        return;
    do {
        if ((entry->CacheEntryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) == 0)
            (void)::DeleteUrlCacheEntryW(entry->lpszSourceUrlName); // in use: it stays
        size = kBufferSize;
        entry->dwStructSize = size;
    } while (::FindNextUrlCacheEntryW(find.Get(), entry, &size));
}

void FillCache(int count)
{
    int made = 0;
    for (int i = 0; i < count; ++i)
        made += test::AddCacheEntry("http://bench.corvale.test/e" + std::to_string(i), NORMAL_CACHE_ENTRY) ? 1 : 0;
    std::printf("made %d\n", made);
}

// An idle top-level window and its message loop: the start-up and idle baseline.
int RunBaselineWindow()
{
    HWND window = ::CreateWindowExA(0, "STATIC", kBaselineTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                    nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return 1;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&message);
    return 0;
}

struct Started {
    KernelHandle process;
    HWND window = nullptr;
    double ms = -1;
};

// Starts the command line and waits until a visible top-level window with the title
// answers messages: the program is up and its message loop runs.
Started StartAndWait(std::string commandLine, const char* title)
{
    Started started;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    started.ms = Milliseconds([&] {
        if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        started.process.Reset(info.hProcess);
        ::CloseHandle(info.hThread);
        for (const DWORD begin = ::GetTickCount(); ::GetTickCount() - begin < kWindowWaitMs; ::Sleep(1)) {
            HWND window = ::FindWindowA(nullptr, title);
            DWORD_PTR answer = 0;
            if (window && ::IsWindowVisible(window) &&
                ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer)) {
                started.window = window;
                return;
            }
        }
    });
    if (!started.window)
        started.ms = -1;
    return started;
}

void Stop(Started& started, const std::string& program)
{
    if (program.empty()) {
        (void)::PostMessageA(started.window, WM_QUIT, 0, 0);
    } else {
        // "/u" ends the running instance as a user would.
        std::string commandLine = "\"" + program + "\" /u";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            ::CloseHandle(info.hThread);
            ::CloseHandle(info.hProcess);
        }
    }
    if (::WaitForSingleObject(started.process.Get(), 10000) != WAIT_OBJECT_0)
        (void)::TerminateProcess(started.process.Get(), 1); // it would not end: do not leave it running
}

std::string SelfPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Waits until a window titled TITLE answers messages, shown or not, and then for the
// program to settle; "ready" or "waits".
void Settle(const std::string& title)
{
    for (const DWORD begin = ::GetTickCount(); ::GetTickCount() - begin < kWindowWaitMs; ::Sleep(10)) {
        DWORD_PTR answer = 0;
        HWND window = ::FindWindowA(nullptr, title.c_str());
        if (window && ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer)) {
            ::Sleep(3000); // its start-up triggers armed, and whatever it frees after start freed
            std::printf("ready\n");
            return;
        }
    }
    std::printf("waits\n");
}

// "ms": the main window brought back from the tray as its "Open Corvale" item does, to
// the end of the command (the window is shown with its page when it returns); then it
// goes back to the tray as its close button sends it.
void TimeReturn()
{
    HWND window = ::FindWindowA(nullptr, kProgramTitle);
    DWORD_PTR answer = 0;
    const double ms = Milliseconds(
        [&] { (void)::SendMessageTimeoutA(window, WM_COMMAND, ID_OPEN, 0, SMTO_NORMAL, kWindowWaitMs, &answer); });
    std::printf("%.1f\n", ::IsWindowVisible(window) ? ms : -1.0);
    std::fflush(stdout);
    (void)::SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, kWindowWaitMs, &answer);
}

// "ms size": time to a working main window, and the program file's size.
void TimeStartUp(const std::string& program)
{
    const bool baseline = program.empty();
    if (!baseline)
        (void)SaveSettings(CleaningOptions{}); // a first start: the defaults, no trigger armed
    Started started = baseline ? StartAndWait("\"" + SelfPath() + "\" window", kBaselineTitle)
                               : StartAndWait("\"" + program + "\"", kProgramTitle);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    (void)::GetFileAttributesExA(baseline ? SelfPath().c_str() : program.c_str(), GetFileExInfoStandard, &data);
    std::printf("%.1f %lu\n", started.ms, data.nFileSizeLow);
    if (started.process)
        Stop(started, program);
}

struct WindowCount {
    DWORD processId;
    int windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM param)
{
    ++reinterpret_cast<WindowCount*>(param)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param)
{
    auto* count = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == count->processId) {
        ++count->windows;
        (void)::EnumChildWindows(window, CountChild, param);
    }
    return TRUE;
}

struct ProcessFigures {
    unsigned long privateKb = 0;
    unsigned long handles = 0;
};

// Private bytes and handles from the system's process list: Wine answers 0 to
// GetProcessHandleCount and leaves PrivateUsage empty for another process, but fills
// this list (private bytes as the process's committed pages) for every process.
ProcessFigures FiguresOf(DWORD processId)
{
    ProcessFigures figures;
    std::vector<std::uint64_t> buffer(1 << 17);
    ULONG size = 0;
    while (::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                      static_cast<ULONG>(buffer.size() * sizeof(buffer[0])), &size) ==
           static_cast<NTSTATUS>(0xC0000004L)) // STATUS_INFO_LENGTH_MISMATCH: a larger buffer
        buffer.resize(buffer.size() * 2);
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(bytes + offset);
        if (reinterpret_cast<DWORD_PTR>(entry->UniqueProcessId) == processId) {
            figures.privateKb = static_cast<unsigned long>(entry->VirtualMemoryCounters.PagefileUsage / 1024);
            figures.handles = entry->HandleCount;
            break;
        }
        if (entry->NextEntryOffset == 0)
            break;
        offset += entry->NextEntryOffset;
    }
    return figures;
}

// "private-KB handles windows gdi user" of a process: the windows (children included)
// are the USER objects Wine lets another process count; gdi and user read 0 where the
// platform does not count them for another process.
std::string ProcessCounters(HANDLE process)
{
    const ProcessFigures figures = FiguresOf(::GetProcessId(process));
    WindowCount windows{::GetProcessId(process), 0};
    (void)::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    char text[128];
    std::snprintf(text, sizeof(text), "%8lu %7lu %7d %5lu %5lu", figures.privateKb, figures.handles, windows.windows,
                  ::GetGuiResources(process, GR_GDIOBJECTS), ::GetGuiResources(process, GR_USEROBJECTS));
    return text;
}

// The settings a measurement starts from: every cleaning option on, the interval timer
// (its id 1) and the hot key armed, progress shown and left open as by default.
void ArmIntervalRuns()
{
    CleaningOptions options;
    for (int option = 0; option < kCleaningOptionCount; ++option)
        options.OptionFlags[option] = 1;
    options.OptionFlags[Option::EveryInterval] = 1;
    options.OptionFlags[Option::OnHotKey] = 1;
    (void)SaveSettings(options); // the bench prefix's key: it opens
}

constexpr char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// A typed address for the next run to clear: a run that did its work leaves none.
void SeedTypedAddress()
{
    (void)::RegSetKeyValueA(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", REG_SZ, "http://bench.corvale.test/",
                            sizeof("http://bench.corvale.test/"));
}

bool TypedAddressCleared()
{
    return ::RegGetValueA(HKEY_CURRENT_USER, kTypedUrlsKey, "url1", RRF_RT_ANY, nullptr, nullptr, nullptr) !=
           ERROR_SUCCESS;
}

// The counters after start, after 100 and after 1,000 cleaning runs in one process, each
// run started as the interval timer starts one: WM_TIMER with the timer's id. The window
// is ready once its start-up triggers are armed, which the hot key's global atom shows
// (the interval timer is armed just before it). Each run must clear a typed address put
// there before it, or it does not count.
void MeasureIdle(const std::string& program)
{
    std::printf("  %-18s %8s %7s %7s %5s %5s %s\n", "", "priv KB", "handles", "windows", "gdi", "user", "runs done");
    Started baseline = StartAndWait("\"" + SelfPath() + "\" window", kBaselineTitle);
    if (baseline.window) {
        ::Sleep(2000); // settled, as Corvale is once its start-up triggers are armed
        std::printf("  %-18s %s\n", "bare window", ProcessCounters(baseline.process.Get()).c_str());
        Stop(baseline, std::string());
    }
    ArmIntervalRuns();
    Started started = StartAndWait("\"" + program + "\"", kProgramTitle);
    for (const DWORD begin = ::GetTickCount(); started.window && ::GetTickCount() - begin < kWindowWaitMs;
         ::Sleep(10)) {
        if (::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName) != 0)
            break;
    }
    if (!started.window || ::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName) == 0) {
        std::printf("  waits: %s shows no ready window titled \"%s\"\n", program.c_str(), kProgramTitle);
        if (started.process)
            Stop(started, program);
        return;
    }
    std::printf("  %-18s %s\n", "after start", ProcessCounters(started.process.Get()).c_str());
    int done = 0;
    const DWORD begin = ::GetTickCount();
    for (int run = 1; run <= 1000; ++run) {
        SeedTypedAddress();
        DWORD_PTR answer = 0;
        (void)::SendMessageTimeoutA(started.window, WM_TIMER, CScheduleTriggers::kIntervalTimer, 0, SMTO_NORMAL, 60000,
                                    &answer);
        done += TypedAddressCleared() ? 1 : 0;
        if (run == 100 || run == 1000)
            std::printf("  after %4d runs    %s %d (%lu ms)\n", run, ProcessCounters(started.process.Get()).c_str(),
                        done, ::GetTickCount() - begin);
    }
    std::fflush(stdout);
    Stop(started, program);
}

// What a run with every option on finds to remove: a tree in the temporary folder, a
// cache entry, a typed address and a disk-check folder at the root.
void SeedRunData(const std::string& temp)
{
    const std::string tree = temp + "corvale-bench";
    (void)::CreateDirectoryA(tree.c_str(), nullptr);
    MakeTree(tree, 200, 20);
    (void)::CreateDirectoryA("C:\\FOUND.000", nullptr);
    test::WriteFileBytes("C:\\FOUND.000\\FILE0000.CHK", "lost");
    (void)test::AddCacheEntry("http://bench.corvale.test/run", NORMAL_CACHE_ENTRY);
    SeedTypedAddress();
}

// "way ms" for each round of a run with every option on, its slots called as a run calls
// them: each slot resolving the protected folders itself, the run sharing one resolution,
// and the run sharing names only (no identity checks, the benchmark's baseline). A first
// run, untimed, loads what the first run of a process loads.
void TimeRunWays(int rounds)
{
    char temp[MAX_PATH + 1] = {};
    (void)::GetTempPathA(MAX_PATH + 1, temp);
    const auto run = [](bool perSlot, bool identities) {
        CProtectedSet shared(identities);
        const CTouchPolicy sharedPolicy(shared);
        for (const TaskSlot& slot : TaskCatalogue()) {
            CProtectedSet own;
            slot.work(1, perSlot ? CTouchPolicy(own) : sharedPolicy);
        }
    };
    SeedRunData(temp);
    run(false, true);
    for (int round = 0; round < rounds; ++round) {
        SeedRunData(temp);
        std::printf("per-operation %.1f\n", Milliseconds([&] { run(true, true); }));
        SeedRunData(temp);
        std::printf("shared %.1f\n", Milliseconds([&] { run(false, true); }));
        SeedRunData(temp);
        std::printf("names-only %.1f\n", Milliseconds([&] { run(false, false); }));
        std::fflush(stdout);
    }
    std::printf("left %s\n", TreeCounts(std::string(temp) + "corvale-bench").c_str());
}

// Settings with every trigger off but the daily timer, set a few hours away, so that an
// idle program has only its one-a-minute tick to wake for.
void ArmOnlyDailyTimer()
{
    CleaningOptions options;
    options.OptionFlags[Option::DailyAt] = 1;
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    options.Time = ((local->tm_hour + 6) % 24) * 60 + 30; // never 0, which arms nothing
    std::printf("%ld\n", SaveSettings(options));
}

// A benchmark deletes trees and empties the URL cache: only ever inside the bench prefix.
bool InsideSandbox()
{
    const char* flag = std::getenv("CORVALE_TEST_SANDBOX");
    return flag && std::strcmp(flag, "1") == 0 && ::GetDriveTypeA("Z:\\") == DRIVE_NO_ROOT_DIR;
}

int Run(const std::vector<std::string>& args)
{
    const std::string verb = args.empty() ? std::string() : args[0];
    const std::string arg = args.size() > 1 ? args[1] : std::string();
    if (verb == "window")
        return RunBaselineWindow();
    if (!InsideSandbox()) {
        std::fprintf(stderr, "refusing to run: start it with scripts/bench\n");
        return 2;
    }
    if (verb == "tree" && args.size() == 4)
        MakeTree(arg, std::atoi(args[2].c_str()), std::atoi(args[3].c_str()));
    else if (verb == "count")
        std::printf("%s\n", TreeCounts(arg).c_str());
    else if (verb == "sweep")
        PrintTiming([&] { CFolderCleaner(test::OwnPolicy(), WideFromAnsi(arg)).SweepTree(L"", L""); }, [&] { return TreeCounts(arg); });
    else if (verb == "floor")
        PrintTiming([&] { test::BareSweep(arg); }, [&] { return TreeCounts(arg); });
    else if (verb == "reset-all")
        PrintTiming([&] { test::AttributeResetSweep(arg); }, [&] { return TreeCounts(arg); });
    else if (verb == "cache-fill")
        FillCache(std::atoi(arg.c_str()));
    else if (verb == "cache-clean")
        PrintTiming([] { (void)CleanUrlCache(false); }, CacheEntriesLeft);
    else if (verb == "cache-slot1")
        PrintTiming([] { CleanTemporaryInternetFiles(); }, CacheEntriesLeft);
    else if (verb == "cache-floor")
        PrintTiming(BareCacheLoop, CacheEntriesLeft);
    else if (verb == "startup")
        TimeStartUp(arg);
    else if (verb == "settle")
        Settle(arg);
    else if (verb == "return")
        TimeReturn();
    else if (verb == "idle")
        MeasureIdle(arg);
    else if (verb == "run")
        TimeRunWays(std::atoi(arg.c_str()));
    else if (verb == "daily-only")
        ArmOnlyDailyTimer();
    else if (verb == "nothing-armed")
        std::printf("%ld\n", SaveSettings(CleaningOptions{}));
    else {
        std::fprintf(
            stderr,
            "usage: corvale_bench tree|count|sweep|floor|reset-all|cache-*|startup|settle|return|idle|run ...\n");
        return 2;
    }
    return 0;
}

} // namespace
} // namespace corvale

int main(int argc, char** argv)
{
    return corvale::Run(std::vector<std::string>(argv + 1, argv + argc));
}
