// Times palette selection and quantization of a 640 x 480 composite, the
// product against the plain reference, and prints how many times faster the
// product is and how much heap it needs next to the image's own size; and
// times the full palette and error diffusion alone, which have no plain
// counterpart here, for comparing the product with itself. The composite is a picture file given as the last argument (bench/speed.sh
// gives it a photograph-like one), or else one the fixtures make.
#include "diagnostics/traceMsg.h"
#include "imaging/loadImage.h"
#include "fixtures/wholeImage.h"
#include "imaging/dither.h"
#include "imaging/fullPalette.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"
#include "fixtures/plainPalette.h"
#include "fixtures/testImages.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>

// Heap accounting: every allocation carries its size in front of it so the
// peak of live bytes can be reported.
namespace {
std::atomic<size_t> liveBytes{0}, peakBytes{0};
constexpr size_t headerSize = alignof(std::max_align_t);
} // namespace

void *operator new(size_t size)
{
    void *block = std::malloc(size + headerSize);
    if (!block)
        throw std::bad_alloc();
    *static_cast<size_t *>(block) = size;
    const size_t live = liveBytes += size;
    size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char *>(block) + headerSize;
}

// Kept out of line: inlined into a delete expression, the free() looks to the
// compiler like a mismatched release of a new'd pointer.
__attribute__((noinline)) static void countedFree(void *pointer) noexcept
{
    if (!pointer)
        return;
    void *block = static_cast<char *>(pointer) - headerSize;
    liveBytes -= *static_cast<size_t *>(block);
    std::free(block);
}

void operator delete(void *pointer) noexcept { countedFree(pointer); }
void operator delete(void *pointer, size_t) noexcept { countedFree(pointer); }

namespace {

/// The picture file to use, if one was given.
std::string picturePath;

const loadedImage_t *composite()
{
    static imagePtr image = picturePath.empty() ? photoLikeComposite(2024)
                                                : imagePtr(new loadedImage_t(loadImage(picturePath.c_str())));
    return image.get();
}

template <bool fast> void selectAndQuantize(benchmark::State &state)
{
    const loadedImage_t *image = composite();
    const size_t before = liveBytes;
    peakBytes = before;
    for (auto _ : state) {
        const palette_t palette = fast ? getOptimalPalette(image, 224) : plainGetOptimalPalette(image, 224);
        const quantizedImage_t quantized =
            fast ? quantizeImage(image, &palette) : plainQuantizeImage(image, &palette);
        benchmark::DoNotOptimize(quantized.pixels[0]);
    }
    state.counters["heapPeak/image"] =
        double(peakBytes - before) / (uint64_t(image->width()) * image->height() * 4);
}

template <bool fast> void select(benchmark::State &state)
{
    const loadedImage_t *image = composite();
    for (auto _ : state) {
        const palette_t palette = fast ? getOptimalPalette(image, 224) : plainGetOptimalPalette(image, 224);
        benchmark::DoNotOptimize(palette.red(0));
    }
}

template <bool fast> void quantize(benchmark::State &state)
{
    const loadedImage_t *image = composite();
    const palette_t palette = plainGetOptimalPalette(image, 224);
    for (auto _ : state) {
        const quantizedImage_t quantized =
            fast ? quantizeImage(image, &palette) : plainQuantizeImage(image, &palette);
        benchmark::DoNotOptimize(quantized.pixels[0]);
    }
}

/// Error diffusion alone, as a dithered run maps its images: no plain
/// counterpart, for comparing the product with itself across changes.
void dither(benchmark::State &state)
{
    const loadedImage_t *image = composite();
    const palette_t palette = getOptimalPalette(image, 224);
    const ditherPalette_t tables(palette);
    std::vector<uint8_t> indices(size_t(image->width()) * image->height());
    for (auto _ : state) {
        const std::unique_ptr<paletteLookup_t> lookup = lookupFor(palette, true);
        ditherInto(image, &palette, lookup.get(), indices.data(), [](uint32_t) {}, &tables);
        benchmark::DoNotOptimize(indices[0]);
    }
}

/// The full palette alone, on two threads as a run chooses it.
void fullPalette(benchmark::State &state)
{
    const loadedImage_t *images[1] = {composite()};
    const pixelRuns_t pixels = canvasRuns(images, 1, images[0]->width(), images[0]->height());
    secondThread_t thread;
    for (auto _ : state) {
        const palette_t palette = getFullPalette(pixels, 224, nullptr, thread);
        benchmark::DoNotOptimize(palette.red(0));
    }
}

BENCHMARK(fullPalette)->Name("FullPalette")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(dither)->Name("Dither")->Unit(benchmark::kMillisecond);
BENCHMARK(selectAndQuantize<false>)->Name("SelectAndQuantize/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(selectAndQuantize<true>)->Name("SelectAndQuantize/fast")->Unit(benchmark::kMillisecond);
BENCHMARK(select<false>)->Name("Select/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(select<true>)->Name("Select/fast")->Unit(benchmark::kMillisecond);
BENCHMARK(quantize<false>)->Name("Quantize/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(quantize<true>)->Name("Quantize/fast")->Unit(benchmark::kMillisecond);

/// The console report, plus the plain/fast ratio of every pair at the end,
/// from CPU time per iteration (the median when repetitions are asked for).
class ratioReporter_t : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run &run : reports) {
            if (run.error_occurred)
                continue;
            const std::string &name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && !medians.count(name))
                seconds[name] = run.cpu_accumulated_time / run.iterations;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                seconds[name] = run.cpu_accumulated_time / run.iterations;
                medians.insert(name);
            }
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto &[name, time] : seconds) {
            const size_t slash = name.rfind("/plain");
            if (slash == std::string::npos)
                continue;
            const auto fast = seconds.find(name.substr(0, slash) + "/fast");
            if (fast != seconds.end())
                printf("%-18s fast is %.1f times faster than plain\n",
                       name.substr(0, slash).c_str(), time / fast->second);
        }
    }

private:
    std::map<std::string, double> seconds;
    std::set<std::string> medians;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // What Google Benchmark did not take is the picture.
    if (argc > 1) {
        picturePath = argv[argc - 1];
        trace_level = 0;
    }
    ratioReporter_t reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
