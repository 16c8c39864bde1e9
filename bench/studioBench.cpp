// How long the studio takes to show a change: a picture moved, the screen
// drawn again at 640 x 480 with --full-palette --dither --alpha, and the
// PNG carried to the page, timed from the request to its last byte. A
// change should be drawn within 150 ms; the figure is each iteration's time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <httplib.h>
#include <thread>
#include <unistd.h>

#include "diagnostics/traceMsg.h"
#include "studio/studioServer.h"
#include "tools/sampleZbeos.h"

namespace {

const std::string token(32, '7');

void drawAChange(benchmark::State &state)
{
    trace_level = 0;
    char scratch[] = "/tmp/studio-bench-XXXXXX";
    if (mkdtemp(scratch) == nullptr)
        return state.SkipWithError("no scratch folder");
    const std::string zbeos = std::string(scratch) + "/zbeos";
    const std::vector<unsigned char> sample = makeSampleZbeos();
    FILE *file = fopen(zbeos.c_str(), "wb");
    fwrite(sample.data(), 1, sample.size(), file);
    fclose(file);

    const studioFolder_t folder(DAWNMARK_SOURCE_DIR "/examples");
    studioServer_t server(folder, zbeos, token);
    const int port = server.Bind(0);
    std::thread serving([&] { server.Serve(); });
    httplib::Client client("127.0.0.1", port);
    while (!client.Get("/"))
        std::this_thread::yield();
    const std::string target = "/api/draw?dither=1&alpha=1&full-palette=1&t=" + token;
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 500;
        const std::string text =
            "screen 640 480 16\nicons at 220 420\nimage \"background.png\"\nimage \"sun.png\" at " + std::to_string(x) +
            " 200\nimage \"stripe.tga\" at 0 330 resized to 640 24\n";
        const httplib::Result answer = client.Post(target.c_str(), text, "text/plain");
        if (!answer || answer->status != 200) {
            state.SkipWithError("the studio did not draw");
            break;
        }
        benchmark::DoNotOptimize(answer->body.data());
    }
    server.Stop();
    serving.join();
    unlink(zbeos.c_str());
    rmdir(scratch);
}

} // namespace

BENCHMARK(drawAChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

BENCHMARK_MAIN();
