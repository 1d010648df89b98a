#include "probes.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bench {
namespace fs = std::filesystem;

namespace {

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

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

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

void Row(const char* what, const Series& series, const char* unit) {
    std::printf("| %-46s | %10.2f | %10.2f | %10.2f | %-5s |\n", what, series.min(), series.median(),
                series.max(), unit);
}

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

void Stop(Running& running) {
    TerminateProcess(running.process.hProcess, 0);
    WaitForSingleObject(running.process.hProcess, 10000);
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
    Sleep(1500);
}

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

}  // namespace bench
