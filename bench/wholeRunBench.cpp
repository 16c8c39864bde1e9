// whole-run-bench DAWNMARK ZBEOS SCENE...: how long a whole run of Dawnmark
// takes against the floor that the file format sets, zlib deflating the same
// icon pack at the same level alone, and how much memory it needs against
// the pixel data of its images.
//
// A scene is a folder holding splash.txt and its images; an optional
// options.txt holds Dawnmark's long options for it. Runs and deflates take
// turns, and the scenes take turns round by round, so that a busy machine
// weighs on all alike; the median of each counts. The peak memory is the
// run's largest resident set less that of a run that stops at once (the
// program and its libraries), against 4 bytes a pixel of every image as
// loaded; runs for it are started through
// peak-resident, as the kernel's figure for a process started from this one
// would count this one's memory too.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "bootfile/zbeosSections.h"
#include "diagnostics/traceMsg.h"
#include "imaging/loadImage.h"
#include "language/parseDescription.h"

extern char **environ;

namespace {

const int kRounds = 15;


/// Runs argv in `directory` with its output thrown away; it must end with
/// status `expected`.
double runProcess(const std::vector<std::string> &args, const std::string &directory, int expected = 0)
{
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != expected) {
        std::fprintf(stderr, "%s failed in %s\n", argv[0], directory.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(end - start).count();
}

/// The most memory a run of args in `directory` held resident, in KiB.
long peakResidentKiB(std::vector<std::string> args, const std::string &directory, int expected = 0)
{
    const std::string figure = directory + "/peak-resident.txt";
    args.insert(args.begin(), {PEAK_RESIDENT, figure});
    runProcess(args, directory, expected);
    long kib = 0;
    std::ifstream(figure) >> kib;
    std::remove(figure.c_str());
    return kib;
}

std::vector<unsigned char> readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

/// Deflates the pack as the boot loader file stores it, at `level`, with its
/// CRC-32, and returns the time.
double deflateSeconds(const std::vector<unsigned char> &pack, int level)
{
    std::vector<unsigned char> out(2 * pack.size() + 64);
    const auto start = std::chrono::steady_clock::now();
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = const_cast<unsigned char *>(pack.data());
    stream.avail_in = unsigned(pack.size());
    stream.next_out = out.data();
    stream.avail_out = unsigned(out.size());
    deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    crc32(0, pack.data(), unsigned(pack.size()));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Bytes of pixels of the images the scene's description names, as loaded.
double pixelBytes(const std::string &scene)
{
    FILE *description = std::fopen((scene + "/splash.txt").c_str(), "r");
    splashDescription_t parsed{};
    parseDescription(description, &parsed);
    std::fclose(description);
    const std::string here = get_current_dir_name();
    if (chdir(scene.c_str()) != 0)
        return 0;
    double bytes = 0;
    for (const splashImage_t &entry : parsed.images()) {
        const loadedImage_t image = loadImage(entry.fileName.c_str());
        bytes += double(image.width()) * image.height() * 4;
    }
    if (chdir(here.c_str()) != 0)
        return 0;
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: whole-run-bench DAWNMARK ZBEOS SCENE...\n");
        return 2;
    }
    const std::string dawnmark = argv[1], zbeos = argv[2];
    trace_level = 0; // loading the images to count their pixels says nothing
    std::printf("%-26s %9s %9s %8s %8s\n", "scene", "run (ms)", "zlib (ms)", "run/zlib", "memory");
    // Every scene's arguments and pack, each scene run once to warm the
    // caches.
    std::vector<std::vector<std::string>> argsOf;
    std::vector<std::vector<unsigned char>> packOf;
    std::vector<int> levelOf;
    for (int s = 3; s < argc; ++s) {
        const std::string scene = argv[s];
        std::vector<std::string> args = {dawnmark};
        std::istringstream options(readText(scene + "/options.txt"));
        for (std::string option; options >> option;)
            args.push_back(option);
        args.insert(args.end(), {"-z", zbeos, "-o", "bench.zbeos", "splash.txt"});
        runProcess(args, scene);
        const std::vector<unsigned char> file = readAll(scene + "/bench.zbeos");
        const zbeosSections_t layout = dissectZbeos(file.data(), file.size(), "bench.zbeos");
        packOf.push_back(inflateSplash(file.data(), layout, "bench.zbeos"));
        // The member's XFL byte tells level 9 (2) from the level 6 of
        // dithered splashes (0).
        levelOf.push_back(file[layout.splashOffset + 8] == 2 ? 9 : 6);
        argsOf.push_back(args);
    }
    // The scenes take turns round by round, so that a machine that grows
    // busier weighs on every scene alike, and on a scene and the same scene
    // with options.
    const size_t scenes = argsOf.size();
    std::vector<std::vector<double>> runs(scenes), floors(scenes);
    for (int round = 0; round < kRounds; ++round)
        for (size_t s = 0; s < scenes; ++s) {
            runs[s].push_back(runProcess(argsOf[s], argv[3 + s]));
            floors[s].push_back(deflateSeconds(packOf[s], levelOf[s]));
        }
    const std::vector<std::string> stop = {dawnmark, "--no-such-option"};
    for (size_t s = 0; s < scenes; ++s) {
        const std::string scene = argv[3 + s];
        long maxResident = 0, stopResident = 0;
        for (int round = 0; round < 3; ++round) {
            maxResident = std::max(maxResident, peakResidentKiB(argsOf[s], scene));
            stopResident = std::max(stopResident, peakResidentKiB(stop, scene, 1));
        }
        const double run = median(runs[s]), floor = median(floors[s]);
        const double memory = double(maxResident - stopResident) * 1024 / pixelBytes(scene);
        std::string name = scene.substr(scene.find_last_of('/') + 1);
        std::printf("%-26s %9.1f %9.1f %8.2f %8.2f\n", name.c_str(), run * 1000, floor * 1000, run / floor,
                    memory);
    }
    return 0;
}
