// tarvola-bench-recording: how long the recording viewer waits for a long recording.
//
// Writes a recording of --records records (default 36 000: an hour at ten samples a second) with
// the recorder's own line format, loads it --repeat times with the viewer's loader and prints the
// median and fastest load time, the columns' memory and the process's peak memory. Exit status: 0
// when the median is within --target seconds, 1 when not, 2 on a usage or file error.

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "monitor/CDiagFile.h"
#include "monitor/RecordingLoader.h"

namespace {

using namespace tarvola;

const char kUsage[] = "Usage: tarvola-bench-recording [--records N] [--repeat R] [--target SECONDS] [--json]\n";

// Engine values that move like a drive: idle, pulls, the sensors drifting.
std::array<double, kRecordFields> sampleAt(std::size_t i)
{
    const double t = static_cast<double>(i) * 0.1;
    std::array<double, kRecordFields> v{};
    v[0] = i % 600 < 50 ? 2 : 3;
    v[1] = 800 + 2200 * (0.5 + 0.5 * std::sin(t / 7));
    for (int c = 0; c < 8; ++c) {
        v[2 + 2 * c] = std::round((3 + 5 * (0.5 + 0.5 * std::sin(t / 7 + c * 0.1))) * 100) / 100;
        v[3 + 2 * c] = std::round((v[2 + 2 * c] * 1.25) * 100) / 100;
    }
    v[18] = std::round(100 + 20 * std::sin(t / 30));
    v[19] = std::round(30 + 60 * (0.5 + 0.5 * std::sin(t / 7)));
    v[20] = std::round(std::min(45.0, 10 + t / 60));
    v[21] = std::round(std::min(80.0, 20 + t / 20));
    v[22] = std::round((0.45 + 0.4 * std::sin(t * 3)) * 10) / 10;
    v[23] = std::round((0.45 + 0.4 * std::cos(t * 3)) * 10) / 10;
    return v;
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t records = 36000;
    int repeat = 5;
    double target = 0.5;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        try {
            if (arg == "--records" && hasValue)
                records = std::stoul(argv[++i]);
            else if (arg == "--repeat" && hasValue)
                repeat = std::max(1, std::stoi(argv[++i]));
            else if (arg == "--target" && hasValue)
                target = std::stod(argv[++i]);
            else if (arg == "--json")
                json = true;
            else
                throw std::invalid_argument(arg);
        } catch (const std::exception&) {
            std::cerr << kUsage;
            return 2;
        }
    }

    const auto path = std::filesystem::temp_directory_path() /
                      ("tarvola-bench-recording-" + std::to_string(::getpid()) + ".osc");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            std::cerr << "tarvola-bench-recording: cannot write " << path << '\n';
            return 2;
        }
        for (std::size_t i = 0; i < records; ++i) {
            const std::string line = formatRecordLine(sampleAt(i));
            std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }
    const auto fileBytes = std::filesystem::file_size(path);
    const long baseKiB = peakKiB();

    std::vector<double> seconds;
    std::size_t loaded = 0;
    std::size_t columnBytes = 0;
    for (int r = 0; r < repeat; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const RecordingLoad load = RecordingLoader::load(path.string());
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        loaded = load.data.size();
        columnBytes = load.data.memoryBytes();
    }
    std::filesystem::remove(path);
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const long peakGrowthKiB = peakKiB() - baseKiB;
    const bool met = loaded == records && median <= target;

    if (json) {
        std::printf("{\"records\": %zu, \"fileBytes\": %ju, \"runs\": %d, \"medianSeconds\": %.4f, "
                    "\"fastestSeconds\": %.4f, \"columnBytes\": %zu, \"peakGrowthKiB\": %ld, \"targetSeconds\": %.3f, "
                    "\"met\": %s}\n",
                    loaded, static_cast<std::uintmax_t>(fileBytes), repeat, median, seconds.front(), columnBytes,
                    peakGrowthKiB, target, met ? "true" : "false");
    } else {
        std::printf("Recording load: %zu records from %.1f MB\n", loaded, static_cast<double>(fileBytes) / 1e6);
        std::printf("  median of %d   %8.1f ms   (target %.0f ms)\n", repeat, median * 1e3, target * 1e3);
        std::printf("  fastest        %8.1f ms\n", seconds.front() * 1e3);
        std::printf("  columns        %8.1f MB   (%zu bytes a record)\n", static_cast<double>(columnBytes) / 1e6,
                    loaded ? columnBytes / loaded : 0);
        std::printf("  peak growth    %8.1f MB   (the process's high-water mark while loading)\n",
                    static_cast<double>(peakGrowthKiB) / 1024);
        std::printf("%s\n", met ? "target met" : "TARGET MISSED");
    }
    return met ? 0 : 1;
}
