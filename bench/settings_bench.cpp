// One readIniValue and one writeIniValue on a settings file holding the program's nine keys, as the
// start-up and the close do them: the path rebuilt, the file read or rewritten each time.
#include "core/settings/ini.h"
#include "core/settings/paths.h"
#include "core/settings/profile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* const kNineKeys = "[dsxx]\r\nmei=45\r\nxiuxi=5\r\npdrun=1\r\n"
                              "[eye]\r\nliangdu=-12\r\nduibidu=80\r\nrgbr=0\r\nrgbg=-5\r\n"
                              "rgbb=-20\r\npdrun=1\r\n";

// A program folder of its own, with the nine-key file in it.
struct BenchFolder {
    fs::path dir;
    std::unique_ptr<ocuvell::SettingsPlace> place;
    BenchFolder() {
        dir = fs::temp_directory_path() / ("ocuvell-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::ofstream(dir / "config.ini", std::ios::binary) << kNineKeys;
        place =
            std::make_unique<ocuvell::SettingsPlace>(ocuvell::SettingsFolders{dir, dir / "user"});
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void BM_iniread(benchmark::State& state) {
    BenchFolder folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(ocuvell::readIniValue(*folder.place, "eye", "rgbb"));
}
BENCHMARK(BM_iniread);

void BM_iniwrite(benchmark::State& state) {
    BenchFolder folder;
    int value = 0;
    for (auto _ : state)
        ocuvell::writeIniValue(*folder.place, "eye", "rgbb", std::to_string(value++ % 100 - 50));
}
BENCHMARK(BM_iniwrite);

// The parsing and editing alone, without the file system.
void BM_profileReadText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ocuvell::profileReadText(kNineKeys, "eye", "rgbb", "rgbb", 256));
}
BENCHMARK(BM_profileReadText);

void BM_profileWriteText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ocuvell::profileWriteText(kNineKeys, "eye", "rgbb", std::string("-21")));
}
BENCHMARK(BM_profileWriteText);

} // namespace
