// A shared library opened the first time a file needs it, not when the
// program starts. libheif and libjxl bring codecs (x265, libde265, dav1d,
// libaom, highway, brotli) whose loading and start-up code cost every run
// milliseconds, far more than a small splash takes to build; only a HEIF,
// AVIF or JPEG XL file should pay for them.
#pragma once

#include <string>

class lateLibrary_t {
public:
    /// Opens the library named by `soname`, with all its symbols bound now;
    /// it stays open for the rest of the run.
    explicit lateLibrary_t(const char *soname);
    lateLibrary_t(const lateLibrary_t &) = delete;
    lateLibrary_t &operator=(const lateLibrary_t &) = delete;

    /// Points `function` at the library's function `name`; false, leaving
    /// it null, when the library or the function is missing.
    template <typename F> bool Bind(const char *name, F **function) const
    {
        *function = reinterpret_cast<F *>(Symbol(name));
        return *function != nullptr;
    }

    /// Why the library could not be opened; empty when it was.
    const std::string &Missing() const { return missing; }

private:
    void *Symbol(const char *name) const;
    void *handle = nullptr;
    std::string missing;
};

// The member and the binding of one function of a late library, for
// LATE_LIBRARY_FUNCTIONS.
#define LATE_LIBRARY_MEMBER(function) decltype(&::function) function = nullptr;
#define LATE_LIBRARY_BIND(function) all = library.Bind(#function, &functions.function) && all;

/// Defines the record `record_t` of the functions that CALLS(X) names, one
/// X(function) each, and `accessor()`, which opens `soname` and finds them
/// the first time any thread asks. The record's `missing` says why they
/// cannot be had (`label` names the library); it is empty when every one
/// was found.
#define LATE_LIBRARY_FUNCTIONS(record_t, accessor, soname, label, CALLS)                                  \
    struct record_t {                                                                                     \
        CALLS(LATE_LIBRARY_MEMBER)                                                                        \
        std::string missing;                                                                              \
    };                                                                                                    \
    const record_t &accessor()                                                                            \
    {                                                                                                     \
        static const record_t found = [] {                                                                \
            static const lateLibrary_t library(soname);                                                   \
            record_t functions;                                                                           \
            bool all = true;                                                                              \
            CALLS(LATE_LIBRARY_BIND)                                                                      \
            if (!all)                                                                                     \
                functions.missing = library.Missing().empty() ? label " lacks a function it needs"       \
                                                              : library.Missing();                        \
            return functions;                                                                             \
        }();                                                                                              \
        return found;                                                                                     \
    }
