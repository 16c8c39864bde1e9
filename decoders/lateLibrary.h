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
