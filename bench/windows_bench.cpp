// Measures Quorbel.exe against the bare Win32 floor (bare_window.exe), both started from copies in
// temporary game folders: start-up time, size and imports, memory, idle CPU and the latency of an install.
// Run under Wine by scripts/bench; the two programs alternate in every round.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "probes.h"

namespace fs = std::filesystem;
using namespace bench;

namespace {

constexpr int kRounds = 20;

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
