// Times the parse of a description whose one line is a long comment or a long
// file name, at 1 MiB and 4 MiB, and prints how many times longer the larger
// line takes. Scanning is linear in the length of a line, so the ratio should
// stay near 4; a scanner that rescans the growing token on every refill
// shows a ratio near 16.
#include "language/parseDescription.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr long small = 1 << 20, large = 4 << 20;

void parseLongLine(benchmark::State &state, const std::string &head, const std::string &tail)
{
    std::string text = head + std::string((size_t)state.range(0), 'x') + tail;
    FILE *file = tmpfile();
    fwrite(text.data(), 1, text.size(), file);
    for (auto _ : state) {
        rewind(file);
        splashDescription_t record{};
        descriptionResult_t result = parseDescription(file, &record);
        if (result.status != descriptionStatus_t::accepted)
            state.SkipWithError("description refused");
    }
    fclose(file);
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size());
}

void commentLine(benchmark::State &state) { parseLongLine(state, "#", "\n"); }
void fileNameLine(benchmark::State &state) { parseLongLine(state, "image \"", "\"\n"); }

BENCHMARK(commentLine)->Arg(small)->Arg(large)->Unit(benchmark::kMillisecond);
BENCHMARK(fileNameLine)->Arg(small)->Arg(large)->Unit(benchmark::kMillisecond);

/// The console report, plus the large/small ratio of every benchmark at the
/// end, from CPU time per iteration.
class ratioReporter_t : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run &run : reports)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                seconds[run.run_name.function_name][run.run_name.args] =
                    run.cpu_accumulated_time / (double)run.iterations;
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (auto &[name, times] : seconds) {
            auto one = times.find(std::to_string(small)), four = times.find(std::to_string(large));
            if (one != times.end() && four != times.end())
                printf("%-14s 4 MiB takes %.1f times as long as 1 MiB\n", name.c_str(),
                       four->second / one->second);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> seconds;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    ratioReporter_t reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
