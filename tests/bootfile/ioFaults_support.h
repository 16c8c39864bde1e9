// Faults of the disk and the codec, made on purpose. The bootfile test
// program links mkstemp, write, pread, fsync, rename, link and deflate through
// wrappers in ioFaults_support.cpp; they pass every call through unchanged
// until a test arms a fault, and log what the save does in the meantime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// What the wrappers do and what they saw. Armed faults stay until reset.
struct ioFaults_t {
    /// File offset of a regular file whose byte is flipped on its way to
    /// the disk by write; -1 for none.
    int64_t flipWrittenByteAt = -1;
    /// File offset whose byte is flipped when pread brings it back; -1 for none.
    int64_t flipReadByteAt = -1;
    /// Signal that mkstemp raises once it has made the file, before its
    /// caller knows the name, as a Ctrl-C while a save begins; 0 for none.
    int raiseAtMkstemp = 0;
    /// Signal that fsync of a regular file raises before it flushes, as a
    /// user's Ctrl-C in the middle of a save; 0 for none.
    int raiseAtFsync = 0;
    /// deflate answers Z_STREAM_ERROR.
    bool failDeflate = false;
    /// "fsync file", "fsync directory", "link" and "rename" in the order they
    /// happened.
    std::vector<std::string> events;
};

extern ioFaults_t ioFaults;

/// Disarms every fault and forgets the events, for the scope of one test.
struct ioFaultsScope_t {
    ioFaultsScope_t() { ioFaults = ioFaults_t(); }
    ~ioFaultsScope_t() { ioFaults = ioFaults_t(); }
};
