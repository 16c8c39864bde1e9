#include "studio/studioServer.h"

#include <cstdlib>
#include <optional>
#include <httplib.h>

#include "diagnostics/errors.h"
#include "studio/accessToken.h"
#include "studio/boardAnswers.h"
#include "studio/pageFiles.h"

namespace {

/// Enough workers for several pages at once, each holding connections open.
constexpr size_t workerCount = 16;

const char *const tokenHeader = "X-Studio-Token";
/// The page's own files, by a plain name: nothing else is looked up by it.
const char *const pageFilePattern = R"(/page/([A-Za-z]+\.[a-z]+))";

boardOptions_t optionsOf(const httplib::Request &request)
{
    const auto on = [&](const char *name) { return request.get_param_value(name) == "1"; };
    boardOptions_t options;
    options.render.dither = on("dither");
    options.render.alpha = on("alpha");
    options.render.fullPalette = on("full-palette");
    options.smooth = on("smooth");
    return options;
}

void refuse(httplib::Response &response, int status, const std::string &why)
{
    response.status = status;
    response.set_content(jsonObject({{"error", jsonString(why)}}), "application/json");
}

} // namespace

struct studioServer_t::handlers_t {
    const studioFolder_t &folder;
    studioBoard_t board;
    std::string token;
    int port = -1;
    httplib::Server server;

    handlers_t(const studioFolder_t &where, const std::string &zbeosPath, std::string secret)
        : folder(where), board(zbeosPath, where), token(std::move(secret))
    {
        server.new_task_queue = [] { return new httplib::ThreadPool(workerCount); };
        server.set_payload_max_length(studioMaxUpload);
        // The library's default, SO_REUSEPORT, lets a second server take the
        // same port and a share of the page's requests; SO_REUSEADDR only
        // lets a new run take it over from connections that are closing.
        server.set_socket_options([](socket_t socket) {
            const int yes = 1;
            setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &response) {
            return Admit(request, response) ? httplib::Server::HandlerResponse::Unhandled
                                            : httplib::Server::HandlerResponse::Handled;
        });
        server.set_exception_handler([](const httplib::Request &, httplib::Response &response, std::exception_ptr) {
            refuse(response, 500, "the studio failed on this request");
        });
        server.Get("/", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content(withToken(pageIndex, token), pageIndex.type);
        });
        server.Get(pageFilePattern, [this](const httplib::Request &request, httplib::Response &response) {
            ServePageFile(request, response);
        });
        server.Get("/api/start", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content(startAnswer(folder, board), "application/json");
        });
        server.Get("/api/file", [this](const httplib::Request &request, httplib::Response &response) {
            ServeFile(request, response);
        });
        server.Post("/api/draw", [this](const httplib::Request &request, httplib::Response &response) {
            const boardOutcome_t outcome =
                board.Draw(request.body, optionsOf(request), request.get_param_value("lit") == "1");
            // A number, never the text as sent: nothing of a request goes into a header.
            const unsigned long long sequence = strtoull(request.get_param_value("sequence").c_str(), nullptr, 10);
            response.set_header("X-Sequence", std::to_string(sequence));
            if (!outcome.done)
                return response.set_content(failureAnswer(outcome), "application/json"), void(response.status = 422);
            response.set_header("X-Boxes", boxesAnswer(outcome));
            response.set_content(std::string(outcome.png.begin(), outcome.png.end()), "image/png");
        });
        server.Post("/api/save", [this](const httplib::Request &request, httplib::Response &response) {
            const boardOutcome_t outcome = board.Save(request.body, optionsOf(request));
            if (!outcome.done)
                return response.set_content(failureAnswer(outcome), "application/json"), void(response.status = 422);
            response.set_content(jsonObject({{"saved", jsonString(outcome.saved)}}), "application/json");
        });
        server.Post("/api/upload", [this](const httplib::Request &request, httplib::Response &response) {
            Upload(request, response);
        });
        server.Post("/api/open", [this](const httplib::Request &request, httplib::Response &response) {
            Open(request, response);
        });
    }

    /// The checks every request passes before it is looked at: the page's
    /// own address as the Host (a name that merely resolves to this machine
    /// is another site), no other site as its origin, and the token.
    bool Admit(const httplib::Request &request, httplib::Response &response)
    {
        // Set first, so that every answer carries them, refusals included.
        response.set_header("Content-Security-Policy", "default-src 'self'");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_header("Referrer-Policy", "no-referrer");
        response.set_header("Cache-Control", "no-store");
        const std::string port = std::to_string(this->port);
        const std::string host = request.get_header_value("Host");
        if (host != "127.0.0.1:" + port && host != "localhost:" + port)
            return refuse(response, 421, "not this studio's address"), false;
        if (request.has_header("Origin")) {
            const std::string origin = request.get_header_value("Origin");
            if (origin != "http://127.0.0.1:" + port && origin != "http://localhost:" + port)
                return refuse(response, 403, "another site's request"), false;
        }
        const std::string offered =
            request.has_header(tokenHeader) ? request.get_header_value(tokenHeader) : request.get_param_value("t");
        if (!sameToken(offered, token))
            return refuse(response, 403, "no or a wrong token: open the address the studio printed"), false;
        // Only a file may be large. Refused before the body is read, so that
        // pages drawing at once each hold no more than a description.
        const bool file = request.path == "/api/upload" || request.path == "/api/open";
        const unsigned long long length = strtoull(request.get_header_value("Content-Length").c_str(), nullptr, 10);
        if (!file && (length > studioMaxDescription || request.has_header("Transfer-Encoding")))
            return refuse(response, 413, "a description is at most 1 MB, sent whole"), false;
        return true;
    }

    void ServePageFile(const httplib::Request &request, httplib::Response &response)
    {
        const pageFile_t *file = findPageFile(request.matches[1]);
        if (file == nullptr)
            return refuse(response, 404, "no such file");
        response.set_content(withToken(*file, token), file->type);
    }

    void ServeFile(const httplib::Request &request, httplib::Response &response)
    {
        const std::optional<std::string> path = folder.Resolve(request.get_param_value("name"));
        std::string bytes;
        if (!path || !readWholeFile(*path, &bytes))
            return refuse(response, 404, "no such file in the folder");
        if (request.get_param_value("download") == "1")
            response.set_header("Content-Disposition", "attachment");
        response.set_content(bytes, "application/octet-stream");
    }

    /// The file sent as the form field `field`, under a plain file name;
    /// nothing, once `response` refuses the request, when there is none.
    static std::optional<httplib::MultipartFormData> sentFile(const httplib::Request &request,
                                                              httplib::Response &response, const char *field,
                                                              const char *missing)
    {
        if (!request.has_file(field))
            return refuse(response, 400, missing), std::nullopt;
        httplib::MultipartFormData file = request.get_file_value(field);
        if (!isPlainFileName(file.filename))
            return refuse(response, 400, "not a plain file name"), std::nullopt;
        return file;
    }

    void Open(const httplib::Request &request, httplib::Response &response)
    {
        const std::optional<httplib::MultipartFormData> file =
            sentFile(request, response, "zbeos", "no boot loader file in the request");
        if (!file)
            return;
        try {
            response.set_content(openedAnswer(board.Open(file->filename, file->content)), "application/json");
        } catch (const dawnmarkError_t &error) {
            refuse(response, 422, error.subject.value_or("") + " -- " + error.reason.value_or(""));
        }
    }

    void Upload(const httplib::Request &request, httplib::Response &response)
    {
        const std::optional<httplib::MultipartFormData> picture =
            sentFile(request, response, "picture", "no picture in the request");
        if (!picture)
            return;
        if (!folder.CreateFile(picture->filename, picture->content))
            return refuse(response, 409, "a file of that name is there already, or it cannot be written");
        // Kept only when the tool can use it.
        if (!board.CanLoad(folder.Path() + "/" + picture->filename)) {
            folder.Remove(picture->filename);
            return refuse(response, 415, "not a picture the studio can read");
        }
        response.status = 201;
        response.set_content(jsonObject({{"name", jsonString(picture->filename)}}), "application/json");
    }
};

studioServer_t::studioServer_t(const studioFolder_t &folder, const std::string &zbeosPath, std::string token)
    : handlers(std::make_unique<handlers_t>(folder, zbeosPath, std::move(token)))
{
}

studioServer_t::~studioServer_t() = default;

int studioServer_t::Bind(int port)
{
    // The loopback address only: no other machine can reach it.
    if (port == 0)
        handlers->port = handlers->server.bind_to_any_port("127.0.0.1");
    else
        handlers->port = handlers->server.bind_to_port("127.0.0.1", port) ? port : -1;
    return handlers->port;
}

bool studioServer_t::Serve() { return handlers->server.listen_after_bind(); }

void studioServer_t::Stop() { handlers->server.stop(); }
