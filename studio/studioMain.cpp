#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <string>

#include "diagnostics/errors.h"
#include "diagnostics/lastResort.h"
#include "diagnostics/traceMsg.h"
#include "studio/accessToken.h"
#include "studio/studioServer.h"

namespace {

int studioUsage()
{
    fputs("usage: Dawnmark-studio [-z pathToZbeos] [--port N] [FOLDER]\n", stderr);
    return 1;
}

int runStudio(int argc, char **argv)
{
    const char *zbeos = "/system/zbeos";
    int port = 0;
    static const option longOptions[] = {{"port", required_argument, nullptr, 'p'}, {nullptr, 0, nullptr, 0}};
    for (int option; (option = getopt_long(argc, argv, "z:", longOptions, nullptr)) != -1;) {
        if (option == 'z') {
            zbeos = optarg;
        } else if (option == 'p') {
            char *end = nullptr;
            const long number = strtol(optarg, &end, 10);
            if (*optarg == '\0' || *end != '\0' || number < 1 || number > 65535)
                return studioUsage();
            port = int(number);
        } else {
            return studioUsage();
        }
    }
    if (argc - optind > 1)
        return studioUsage();
    const char *folderPath = optind < argc ? argv[optind] : ".";
    // Each drawing runs the tool's phases, whose running commentary would
    // fill the terminal at every move of a picture.
    trace_level = 0;
    try {
        const studioFolder_t folder(folderPath);
        const std::string token = newAccessToken();
        studioServer_t server(folder, zbeos, token);
        const int bound = server.Bind(port);
        if (bound < 0)
            throw dawnmarkError_t("127.0.0.1:" + std::to_string(port), "the port cannot be used");
        printf("Dawnmark studio for %s, boot loader file %s\n", folder.Path().c_str(), zbeos);
        printf("Open http://127.0.0.1:%d/?t=%s\n", bound, token.c_str());
        fflush(stdout);
        return server.Serve() ? 0 : 1;
    } catch (const dawnmarkError_t &error) {
        error.report();
        return 1;
    }
}

} // namespace

int main(int argc, char **argv) { return runWithLastResort(runStudio, argc, argv, 1); }
