// The studio's HTTP server: the page and what it asks for, on the loopback
// address, for the one user who holds the run's token.
#pragma once

#include <memory>
#include <string>

#include "studio/folderAccess.h"
#include "studio/studioBoard.h"

/// The largest request body: an uploaded photo with its form around it.
constexpr size_t studioMaxUpload = 64u << 20;
/// The largest description a page may send.
constexpr size_t studioMaxDescription = 1u << 20;

/// Serves the page and its requests for one folder and boot loader file.
class studioServer_t {
public:
    studioServer_t(const studioFolder_t &folder, const std::string &zbeosPath, std::string token);
    ~studioServer_t();
    studioServer_t(const studioServer_t &) = delete;
    studioServer_t &operator=(const studioServer_t &) = delete;

    /// Binds 127.0.0.1:port (0: any free port); the port bound, or -1.
    int Bind(int port);
    /// Answers requests until Stop; false when it could not.
    bool Serve();
    /// Ends Serve; may be called from any thread.
    void Stop();

private:
    struct handlers_t;
    std::unique_ptr<handlers_t> handlers;
};
