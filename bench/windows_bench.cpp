// Measures Quorbel.exe against the bare Win32 floor (bare_window.exe), both started from copies in
// temporary game folders: start-up time, size and imports, memory, idle CPU and the latency of an install.
// Run under Wine by scripts/bench; the two programs alternate in every round.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 20;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

struct Series {
    std::vector<double> values;
    double min() const { return *std::min_element(values.begin(), values.end()); }
    double max() const { return *std::max_element(values.begin(), values.end()); }
    double median() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
};

void Row(const char* what, const Series& series, const char* unit) {
    std::printf("| %-46s | %10.2f | %10.2f | %10.2f | %-5s |\n", what, series.min(), series.median(),
                series.max(), unit);
}

struct Program {
    fs::path exe;
    const wchar_t* windowClass;
};

struct Running {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

HWND VisibleWindowOf(DWORD processId, const wchar_t* windowClass) {
    struct Search {
        DWORD processId;
        const wchar_t* windowClass;
        HWND found;
    } search{processId, windowClass, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64];
            if (owner == s->processId && GetClassNameW(window, name, 64) > 0 &&
                lstrcmpW(name, s->windowClass) == 0 && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts the program and returns once its main window is visible; the time it took goes to startup.
Running Start(const Program& program, double* startup) {
    Running running;
    STARTUPINFOW startupInfo{};
    startupInfo.cb = sizeof startupInfo;
    std::wstring commandLine = L"\"" + program.exe.wstring() + L"\"";
    const std::wstring folder = program.exe.parent_path().wstring();
    const double begin = Now();
    if (!CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startupInfo, &running.process)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", program.exe.c_str(), GetLastError());
        std::exit(1);
    }
    while ((running.window = VisibleWindowOf(running.process.dwProcessId, program.windowClass)) == nullptr) {
        Sleep(1);
    }
    if (startup != nullptr) {
        *startup = Now() - begin;
    }
    return running;
}

// Wine goes on tearing an ended program's windows down for a while; the next start must not pay for it.
void Stop(Running& running) {
    TerminateProcess(running.process.hProcess, 0);
    WaitForSingleObject(running.process.hProcess, 10000);
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
    Sleep(1500);
}

// Wine reports 0 for another process's private bytes; summing its committed private regions gives them.
double PrivateKiB(HANDLE process, bool* summed) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    if (counters.PrivateUsage != 0) {
        return static_cast<double>(counters.PrivateUsage) / 1024;
    }
    *summed = true;
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
    }
    return static_cast<double>(total) / 1024;
}

double PeakWorkingSetKiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / 1024;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The Linux process behind a Wine process, found by the unique folder in its command line.
std::wstring UnixProcessFolder(const std::string& marker) {
    for (const auto& entry : fs::directory_iterator(L"Z:\\proc")) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.find_first_not_of(L"0123456789") == std::wstring::npos &&
            ReadAll(entry.path() / L"cmdline").find(marker) != std::string::npos) {
            return entry.path().wstring();
        }
    }
    return {};
}

// Nanoseconds on a CPU, summed over the process's threads (Wine's GetProcessTimes on another process
// stays frozen, so the Linux scheduler's own count is read).
double CpuNanoseconds(const std::wstring& unixProcess) {
    double total = 0;
    for (const auto& task : fs::directory_iterator(fs::path(unixProcess) / L"task")) {
        total += std::strtod(ReadAll(task.path() / L"schedstat").c_str(), nullptr);
    }
    return total;
}

std::vector<std::string> ImportedDlls(const fs::path& exe) {
    const std::string image = ReadAll(exe);
    const auto at = [&](std::size_t offset, auto type) {
        decltype(type) value{};
        std::copy_n(image.data() + offset, sizeof value, reinterpret_cast<char*>(&value));
        return value;
    };
    const auto peHeader = static_cast<std::size_t>(at(0x3C, std::uint32_t{}));
    const auto sections = at(peHeader + 6, std::uint16_t{});
    const auto optionalSize = at(peHeader + 20, std::uint16_t{});
    const std::size_t optional = peHeader + 24;
    const auto importRva = at(optional + 120, std::uint32_t{});  // data directory 1 of a PE32+ header
    const auto toOffset = [&](std::uint32_t rva) -> std::size_t {
        for (std::uint16_t i = 0; i < sections; ++i) {
            const std::size_t section = optional + optionalSize + i * 40u;
            const auto virtualAddress = at(section + 12, std::uint32_t{});
            const auto rawSize = at(section + 16, std::uint32_t{});
            if (rva >= virtualAddress && rva < virtualAddress + rawSize) {
                return rva - virtualAddress + at(section + 20, std::uint32_t{});
            }
        }
        return 0;
    };
    std::vector<std::string> names;
    for (std::size_t descriptor = toOffset(importRva); at(descriptor + 12, std::uint32_t{}) != 0;
         descriptor += 20) {
        names.emplace_back(image.c_str() + toOffset(at(descriptor + 12, std::uint32_t{})));
    }
    return names;
}

void MakeDatasets(const fs::path& game, int count) {
    fs::create_directories(game / L"quorbel");
    for (int i = 0; i < count; ++i) {
        const fs::path folder = game / L"quorbel" / (L"Liga_" + std::to_wstring(i));
        CreateDirectoryW(folder.c_str(), nullptr);
        if (i < 3) {
            std::ofstream(folder / L"inst.bat") << "@echo off\r\n";
            std::ofstream(folder / L"clear.bat") << "@echo off\r\n";
        }
    }
}

// What any program that shows the datasets pays under Wine before it shows a single one.
double ListingMs(const fs::path& game) {
    const double begin = Now();
    WIN32_FIND_DATAW data{};
    const HANDLE search = FindFirstFileExW((game / L"quorbel" / L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search != INVALID_HANDLE_VALUE) {
        while (FindNextFileW(search, &data) != FALSE) {
        }
        FindClose(search);
    }
    return Now() - begin;
}

fs::path Stage(const fs::path& root, const std::wstring& name, const fs::path& exe) {
    fs::create_directories(root / name);
    fs::copy_file(exe, root / name / exe.filename(), fs::copy_options::overwrite_existing);
    return root / name / exe.filename();
}

struct Programs {
    Program quorbel, bare, bareCc6, large;
};

Programs StagePrograms(const fs::path& bin, const fs::path& root) {
    Programs programs{{Stage(root, L"qbench-quorbel", bin / L"Quorbel.exe"), L"QuorbelForm1"},
                      {Stage(root, L"qbench-bare", bin / L"bare_window.exe"), L"QuorbelBenchBare"},
                      {Stage(root, L"qbench-cc6", bin / L"bare_window_cc6.exe"), L"QuorbelBenchBare"},
                      {Stage(root, L"qbench-large", bin / L"Quorbel.exe"), L"QuorbelForm1"}};
    MakeDatasets(programs.quorbel.exe.parent_path(), 3);
    MakeDatasets(programs.large.exe.parent_path(), 10000);
    std::ofstream(programs.large.exe.parent_path() / L"quorbel.ini") << "pfad=Liga 9999\r\n";
    return programs;
}

struct Footprint {
    Series startup, privateKiB, peakKiB;
};

struct Results {
    Footprint quorbel, bare;
    Series cc6Startup, largeStartup, largeFloor, listing, latency;
    bool privateSummed = false;
    double idleMs = 0, quorbelIdle = 0, bareIdle = 0;
};

void MeasureStartupAndMemory(const Programs& programs, Results& results) {
    for (int round = 0; round < kRounds; ++round) {
        for (const Program* program : {&programs.quorbel, &programs.bare, &programs.bareCc6}) {
            double startup = 0;
            Running running = Start(*program, &startup);
            if (program == &programs.bareCc6) {
                results.cc6Startup.values.push_back(startup);
            } else {
                Sleep(200);
                Footprint& footprint = program == &programs.quorbel ? results.quorbel : results.bare;
                footprint.startup.values.push_back(startup);
                footprint.privateKiB.values.push_back(
                    PrivateKiB(running.process.hProcess, &results.privateSummed));
                footprint.peakKiB.values.push_back(PeakWorkingSetKiB(running.process.hProcess));
            }
            Stop(running);
        }
    }
}

// A series of its own: under Wine the program started next after a listing of 10,000 folders, be it
// Quorbel's or the benchmark's own, often takes some 45 ms longer. An untimed start of the bare program
// takes that up before the next round.
void MeasureLargeStartup(const Programs& programs, Results& results) {
    for (int round = 0; round < kRounds; ++round) {
        // The fair floor in the same rounds, before the listing whose after-effect the absorber takes up.
        double startup = 0;
        Running floor = Start(programs.bareCc6, &startup);
        results.largeFloor.values.push_back(startup);
        Stop(floor);
        Running running = Start(programs.large, &startup);
        results.largeStartup.values.push_back(startup);
        Stop(running);
        results.listing.values.push_back(ListingMs(programs.large.exe.parent_path()));
        Running absorber = Start(programs.bare, nullptr);
        Stop(absorber);
    }
}

// Both programs side by side over the same ten seconds, polling their 50 ms timers. The caller has
// started Quorbel.exe and keeps it for the install latency.
void MeasureIdleCpu(const Programs& programs, Results& results) {
    Running bare = Start(programs.bare, nullptr);
    Sleep(1000);
    const std::wstring quorbelUnix = UnixProcessFolder("qbench-quorbel");
    const std::wstring bareUnix = UnixProcessFolder("qbench-bare");
    const double quorbelCpu0 = CpuNanoseconds(quorbelUnix), bareCpu0 = CpuNanoseconds(bareUnix);
    const double begin = Now();
    Sleep(10000);
    results.idleMs = Now() - begin;
    results.quorbelIdle = (CpuNanoseconds(quorbelUnix) - quorbelCpu0) / 1e6 / results.idleMs * 100;
    results.bareIdle = (CpuNanoseconds(bareUnix) - bareCpu0) / 1e6 / results.idleMs * 100;
    Stop(bare);
}

// From the click on "Datensatz setzen" to the controls showing the installed state. The tool starts no script
// while its last one still runs, so a click it refuses for that is pressed again later, and not counted.
void MeasureInstallLatency(HWND quorbel, Results& results) {
    const HWND frame = GetDlgItem(quorbel, 104);
    const HWND combo = GetDlgItem(frame, 107);
    const HWND install = GetDlgItem(quorbel, 103);
    const HWND restore = GetDlgItem(quorbel, 102);
    const auto installed = [&] {
        return IsWindowEnabled(restore) && !IsWindowEnabled(install) && !IsWindowEnabled(combo);
    };
    for (int round = 0, tries = 0; round < kRounds && tries < 50 * kRounds; ++tries) {
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        SendMessageW(frame, WM_COMMAND, MAKEWPARAM(107, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        const double begin = Now();
        SendMessageW(install, BM_CLICK, 0, 0);  // returns once the click was handled
        if (installed()) {
            results.latency.values.push_back(Now() - begin);
            ++round;
        }
        for (int again = 0; installed() && again < 100; ++again) {
            Sleep(50);
            SendMessageW(restore, BM_CLICK, 0, 0);
        }
        Sleep(100);
    }
    if (results.latency.values.size() < static_cast<std::size_t>(kRounds)) {
        std::fprintf(stderr, "the install never showed; is a dataset with inst.bat listed?\n");
        std::exit(1);
    }
}

void PrintResults(const Results& results) {
    std::printf(
        "| measure (%d rounds, alternating)               |        min |     median |        max | unit  |\n",
        kRounds);
    std::printf(
        "|------------------------------------------------|------------|------------|------------|-------|"
        "\n");
    Row("start-up, Quorbel.exe", results.quorbel.startup, "ms");
    Row("start-up, bare_window.exe", results.bare.startup, "ms");
    Row("start-up, bare_window_cc6.exe (same manifest)", results.cc6Startup, "ms");
    Row("start-up, Quorbel.exe with 10,000 datasets", results.largeStartup, "ms");
    Row("start-up, bare_window_cc6.exe in those rounds", results.largeFloor, "ms");
    Row("bare listing of the 10,000 dataset folders", results.listing, "ms");
    Row("private bytes, Quorbel.exe", results.quorbel.privateKiB, "KiB");
    Row("private bytes, bare_window.exe", results.bare.privateKiB, "KiB");
    Row("peak working set, Quorbel.exe", results.quorbel.peakKiB, "KiB");
    Row("peak working set, bare_window.exe", results.bare.peakKiB, "KiB");
    Row("install latency, click to Installed", results.latency, "ms");
    const double quorbel = results.quorbel.startup.median(), large = results.largeStartup.median();
    const double bare = results.bare.startup.median(), cc6 = results.cc6Startup.median();
    std::printf("\nstart-up ratio (medians) against bare_window.exe: %.2f, with 10,000 datasets %.2f\n",
                quorbel / bare, large / bare);
    std::printf(
        "start-up ratio (medians) against bare_window_cc6.exe, the fair floor, each in its own rounds: %.2f, "
        "with 10,000 datasets %.2f\n",
        quorbel / cc6, large / results.largeFloor.median());
    std::printf("private bytes ratio (medians): %.2f%s\n",
                results.quorbel.privateKiB.median() / results.bare.privateKiB.median(),
                results.privateSummed
                    ? "  (committed private regions summed with VirtualQueryEx: PrivateUsage reads 0 here)"
                    : "");
    std::printf(
        "idle CPU over %.1f s: Quorbel.exe %.3f %%, bare_window.exe %.3f %%, difference %.3f points"
        "  (Linux scheduler time from Z:\\proc\\<pid>\\task\\*\\schedstat)\n",
        results.idleMs / 1000, results.quorbelIdle, results.bareIdle, results.quorbelIdle - results.bareIdle);
}

void PrintSizeAndImports(const fs::path& exe) {
    std::printf("Quorbel.exe: %llu bytes; imports:", static_cast<unsigned long long>(fs::file_size(exe)));
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    bool allSystem = true;
    for (const std::string& dll : ImportedDlls(exe)) {
        const bool inSystem = fs::exists(fs::path(system) / dll);
        allSystem = allSystem && inSystem;
        std::printf(" %s%s", dll.c_str(), inSystem ? "" : " (NOT a system DLL)");
    }
    std::printf("\nall imports are system DLLs: %s\n", allSystem ? "yes" : "no");
}

}  // namespace

int wmain() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path root = fs::temp_directory_path() / (L"qbench-" + std::to_wstring(GetCurrentProcessId()));
    const Programs programs = StagePrograms(fs::path(self).parent_path(), root);
    Results results;
    MeasureStartupAndMemory(programs, results);
    MeasureLargeStartup(programs, results);
    Running quorbel = Start(programs.quorbel, nullptr);
    MeasureIdleCpu(programs, results);
    MeasureInstallLatency(quorbel.window, results);
    Stop(quorbel);
    PrintResults(results);
    PrintSizeAndImports(programs.quorbel.exe);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
