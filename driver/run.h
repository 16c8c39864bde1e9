// The run sequence of the tool: start-up, then the description, image and
// boot loader phases.
#pragma once

#include <cstdio>

#include "imaging/imgtools.h"
#include "language/splashDescription.h"

/// What the command line sets; the later phases only read it.
struct runSettings_t {
    const char *pathToZbeos; ///< boot loader file to read
    const char *output;      ///< boot loader file to write
    const char *splashFile;  ///< the splash description
};

/// The banner, always shown: an empty line, name and version, build stamp.
void printBanner();

/// Reads the options into settings; a bad command line ends the process
/// with the usage text and status 1.
void parseCommandLine(int argc, char **argv, runSettings_t *settings);

/// Writes the usage text on standard error and ends with status 1.
[[noreturn]] void usage();

/// Parses the description on `input` into `description`, whose screen
/// fields are preset first. Returns 0 when it was accepted; otherwise the
/// failure is reported on standard error and its exit status returned (2 when
/// the description could not be read, 1 for anything it says wrong).
int runDescriptionPhase(FILE *input, splashDescription_t *description);

/// Loads and fits every image the description names; one slot per entry.
/// An image that cannot be loaded ends the process with status 1.
loadedImage_t **runImagePhase(const splashDescription_t *description);

/// Reads the boot loader file, replaces its splash and saves the result.
/// Returns the exit status of the run.
int runBootloaderPhase(const runSettings_t *settings, const splashDescription_t *description,
                       loadedImage_t **images);

/// The whole run; returns the exit status (most failures end the process
/// where they are found).
int runDawnmark(int argc, char **argv);
