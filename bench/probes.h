// Probes of another program under Wine: its start until its window shows, its memory, its time on a CPU
// as Linux counts it and the DLLs its image imports; and the statistics of a series of such measurements.
#pragma once

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// Milliseconds of a steady clock.
double Now();

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

// One row of the results table.
void Row(const char* what, const Series& series, const char* unit);

struct Program {
    std::filesystem::path exe;
    const wchar_t* windowClass;
};

struct Running {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

// Starts the program and returns once its main window is visible; the time it took goes to startup.
Running Start(const Program& program, double* startup);
// Wine goes on tearing an ended program's windows down for a while; the next start must not pay for it.
void Stop(Running& running);

// Wine reports 0 for another process's private bytes; summing its committed private regions gives them.
double PrivateKiB(HANDLE process, bool* summed);
double PeakWorkingSetKiB(HANDLE process);

// The Linux process behind a Wine process, found by the unique folder in its command line.
std::wstring UnixProcessFolder(const std::string& marker);
// Nanoseconds on a CPU, summed over the process's threads (Wine's GetProcessTimes on another process
// stays frozen, so the Linux scheduler's own count is read).
double CpuNanoseconds(const std::wstring& unixProcess);

std::vector<std::string> ImportedDlls(const std::filesystem::path& exe);

}  // namespace bench
