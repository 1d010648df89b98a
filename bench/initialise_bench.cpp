// The start-up scan natively on Linux: SwitchController::initialise over 10,000 and 100,000 dataset
// folders against a bare listing of the same folder (opendir/readdir into a vector of names).
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/switch_controller.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 20;

template <typename Work>
std::vector<double> Time(Work work) {
    std::vector<double> ms;
    for (int round = 0; round < kRounds; ++round) {
        const auto begin = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

std::size_t BareListing(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* entry = readdir(dir)) {
        names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names.size();
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("qbench-initialise-" + std::to_string(getpid()));
    std::printf(
        "| datasets | bare listing min / median / max (ms) | initialise min / median / max (ms) | ratio |\n");
    std::printf(
        "|---------:|-------------------------------------|------------------------------------|------:|\n");
    for (const int count : {10000, 100000}) {
        const fs::path app = root / std::to_string(count);
        fs::create_directories(app / "quorbel");
        for (int i = 0; i < count; ++i) {
            mkdir((app / "quorbel" / ("Liga_" + std::to_string(i))).c_str(), 0755);
        }
        std::FILE* ini = std::fopen((app / "quorbel.ini").c_str(), "wb");
        std::fprintf(ini, "pfad=Liga %d\r\n", count / 2);
        std::fclose(ini);

        std::size_t listed = 0;
        const auto bare = Time([&] { listed = BareListing((app / "quorbel").string()); });
        std::size_t leagues = 0;
        const auto scan = Time([&] {
            quorbel::SwitchController controller(app.string());
            controller.initialise();
            leagues = controller.leagues().size();
        });
        std::printf("| %8d | %9.2f / %9.2f / %9.2f     | %9.2f / %9.2f / %9.2f    | %5.2f |\n", count,
                    bare.front(), bare[bare.size() / 2], bare.back(), scan.front(), scan[scan.size() / 2],
                    scan.back(), scan[scan.size() / 2] / bare[bare.size() / 2]);
        if (leagues != static_cast<std::size_t>(count) || listed != static_cast<std::size_t>(count) + 2) {
            std::fprintf(stderr, "unexpected counts: %zu leagues, %zu entries\n", leagues, listed);
            return 1;
        }
    }
    fs::remove_all(root);
    return 0;
}
