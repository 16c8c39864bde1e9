// The studio's server, running in this process on a free port: the one
// user's page and requests served, and every other request refused.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <httplib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "imaging/loadImage.h"
#include "studio/accessToken.h"
#include "studio/studioServer.h"
#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"
#include "tools/sampleZbeos.h"

namespace {

const std::string token(32, 'a');
const char *const examplePictures[] = {"background.png", "sun.png"};

/// A folder with two pictures, a boot loader file and a secret outside it,
/// a link in it that leads out, a pipe in it, and the server serving it.
class studioServerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        outside = new scratchDir_t;
        inside = new scratchDir_t;
        writeFile(outside->Path("zbeos"), makeSampleZbeos());
        writeFile(outside->Path("secret.png"), readBytes(std::string(DAWNMARK_SOURCE_DIR) + "/examples/sun.png"));
        for (const char *name : examplePictures)
            writeFile(inside->Path(name), readBytes(std::string(DAWNMARK_SOURCE_DIR) + "/examples/" + name));
        ASSERT_EQ(symlink(outside->Path("secret.png").c_str(), inside->Path("out.png").c_str()), 0);
        ASSERT_EQ(mkfifo(inside->Path("pipe.png").c_str(), 0600), 0);
        folder = new studioFolder_t(inside->path);
        server = new studioServer_t(*folder, outside->Path("zbeos"), token);
        port = server->Bind(0);
        ASSERT_GT(port, 0);
        serving = new std::thread([] { server->Serve(); });
        // A stop before the server's loop runs would be lost, and the loop
        // would never end.
        while (!httplib::Client("127.0.0.1", port).Get("/"))
            std::this_thread::yield();
    }
    static void TearDownTestSuite()
    {
        server->Stop();
        serving->join();
        delete serving;
        delete server;
        delete folder;
        delete inside;
        delete outside;
    }

    static std::string Local(const std::string &target)
    {
        return target + (target.find('?') == std::string::npos ? "?" : "&") + "t=" + token;
    }

    static httplib::Result Send(const std::string &method, const std::string &target, httplib::Headers headers,
                                const std::string &body = "", const char *type = "text/plain")
    {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(60);
        if (method == "GET")
            return client.Get(target.c_str(), headers);
        return client.Post(target.c_str(), headers, body, type);
    }

    static inline scratchDir_t *outside, *inside;
    static inline studioFolder_t *folder;
    static inline studioServer_t *server;
    static inline std::thread *serving;
    static inline int port;
};

std::string multipart(const std::string &name, const std::string &content, const char *field = "picture")
{
    return "--cut\r\nContent-Disposition: form-data; name=\"" + std::string(field) + "\"; filename=\"" + name +
           "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--cut--\r\n";
}

const char *const formType = "multipart/form-data; boundary=cut";

struct requestCase_t {
    const char *what;
    const char *method;
    std::string target; ///< with the token added unless `tokenless`
    bool tokenless;
    httplib::Headers headers; ///< Host is the server's own unless given
    std::string body;
    const char *type;
    int status;
    std::string answered; ///< in the answer's body
};

TEST_F(studioServerTest, RefusesEveryoneButThePagesOwnRequests)
{
    const std::string self = "127.0.0.1:" + std::to_string(port);
    const std::string fake = std::string(token.size(), 'b');
    const requestCase_t cases[] = {
        {"the page", "GET", "/", false, {}, "", "", 200, "studio.js?t=" + token},
        {"no token", "GET", "/", true, {}, "", "", 403, "token"},
        {"a wrong token", "GET", "/?t=" + fake, true, {}, "", "", 403, "token"},
        {"the token in its header", "GET", "/api/start", true, {{"X-Studio-Token", token}}, "", "", 200,
         "\"pictures\":[\"background.png\",\"sun.png\"]"},
        {"a rebound name", "GET", "/", false, {{"Host", "evil.example:" + std::to_string(port)}}, "", "", 421, ""},
        {"another port", "GET", "/", false, {{"Host", "127.0.0.1:1"}}, "", "", 421, ""},
        {"another site", "POST", "/api/draw", false, {{"Origin", "http://evil.example"}}, "", "", 403, "site"},
        {"its own origin", "GET", "/", false, {{"Origin", "http://" + self}}, "", "", 200, ""},
        {"a file", "GET", "/api/file?name=sun.png", false, {}, "", "", 200, "PNG"},
        {"a step out", "GET", "/api/file?name=../secret.png", false, {}, "", "", 404, ""},
        {"an absolute path", "GET", "/api/file?name=" + outside->Path("secret.png"), false, {}, "", "", 404, ""},
        {"a link out", "GET", "/api/file?name=out.png", false, {}, "", "", 404, ""},
        {"a pipe", "GET", "/api/file?name=pipe.png", false, {}, "", "", 404, ""},
        {"a picture outside", "POST", "/api/draw", false, {}, "image \"../secret.png\"\n", "text/plain", 422,
         "no such picture"},
        {"a picture by a link out", "POST", "/api/draw", false, {}, "image \"out.png\"\n", "text/plain", 422,
         "no such picture"},
        {"a syntax slip", "POST", "/api/draw", false, {}, "screen 640 480 16\nimage sun.png\n", "text/plain", 422,
         "\"line\":2"},
        {"an upload over a file", "POST", "/api/upload", false, {}, multipart("sun.png", "x"), formType, 409, ""},
        {"an upload out", "POST", "/api/upload", false, {}, multipart("../up.png", "x"), formType, 400, ""},
        {"an upload that is no picture", "POST", "/api/upload", false, {}, multipart("up.png", "not one"), formType,
         415, ""},
        {"a broken form", "POST", "/api/upload", false, {}, "--cut\r\nnonsense", formType, 400, ""},
        {"an open of no boot loader", "POST", "/api/open", false, {}, multipart("z", "not one", "zbeos"), formType, 422,
         "zbeos booter"},
        {"an open over a file", "POST", "/api/open", false, {}, multipart("sun.png", "x", "zbeos"), formType, 422, ""},
        {"an unknown path", "GET", "/etc/passwd", false, {}, "", "", 404, ""},
    };
    for (const requestCase_t &c : cases) {
        SCOPED_TRACE(c.what);
        httplib::Headers headers = c.headers;
        if (headers.find("Host") == headers.end())
            headers.emplace("Host", self);
        const httplib::Result result =
            Send(c.method, c.tokenless ? c.target : Local(c.target), headers, c.body, c.type);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status);
        EXPECT_NE(result->body.find(c.answered), std::string::npos) << result->body.substr(0, 300);
        EXPECT_EQ(result->get_header_value("Content-Security-Policy"), "default-src 'self'");
        EXPECT_FALSE(result->has_header("Access-Control-Allow-Origin"));
    }
    // Refused uploads leave nothing, and the file they would replace stays.
    EXPECT_EQ(inside->Entries(), (std::vector<std::string>{"background.png", "out.png", "pipe.png", "sun.png"}));
    EXPECT_EQ(readBytes(inside->Path("sun.png")), readBytes(std::string(DAWNMARK_SOURCE_DIR) + "/examples/sun.png"));
}

// Requests written by hand: a body that is too large is refused from its
// stated length, before it is sent.
TEST_F(studioServerTest, AnswersMalformedAndOversizedRequestsAndGoesOnServing)
{
    const std::string head = "Host: 127.0.0.1:" + std::to_string(port) + "\r\nX-Studio-Token: " + token + "\r\n";
    const struct {
        const char *what;
        std::string request;
        const char *status;
    } cases[] = {
        {"garbage", "\x01\x02 not HTTP at all\r\n\r\n", "HTTP/1.1 400"},
        {"a description too large",
         "POST /api/draw HTTP/1.1\r\n" + head + "Content-Length: " + std::to_string(studioMaxDescription + 1) +
             "\r\n\r\n",
         "HTTP/1.1 413"},
        {"an upload too large",
         "POST /api/upload HTTP/1.1\r\n" + head + "Content-Type: " + formType +
             "\r\nContent-Length: " + std::to_string(studioMaxUpload + 1) + "\r\n\r\n",
         "HTTP/1.1 413"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ASSERT_EQ(write(socket, c.request.data(), c.request.size()), ssize_t(c.request.size()));
        char answer[16] = {};
        ASSERT_GT(read(socket, answer, sizeof answer - 1), 0);
        close(socket);
        EXPECT_EQ(std::string(answer).substr(0, 12), c.status);
    }
    const httplib::Result result = Send("GET", Local("/"), {{"Host", "127.0.0.1:" + std::to_string(port)}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
}

TEST_F(studioServerTest, ListensOnTheLoopbackAddressOnly)
{
    // Another address of this machine: bound to all of them, it would answer.
    httplib::Client client("127.0.0.2", port);
    EXPECT_FALSE(client.Get("/"));
    // Nor does a second server share the port, and with it the requests.
    studioServer_t second(*folder, outside->Path("zbeos"), token);
    EXPECT_EQ(second.Bind(port), -1);
}

TEST_F(studioServerTest, DrawsAndSavesAsTheToolDoes)
{
    const std::string text =
        "screen 640 480 16\nicons at 220 420\nimage \"background.png\"\nimage \"sun.png\" at 37 20\n";
    writeFile(outside->Path("splash.txt"), text);
    const ToolRun tool = runDawnmark({"--dither", "--alpha", "-z", outside->Path("zbeos"), "-o", outside->Path("new"),
                                      "--preview-lit", outside->Path("lit.png"), outside->Path("splash.txt")},
                                     inside->path);
    ASSERT_EQ(tool.status, 0) << tool.err;
    const httplib::Headers host = {{"Host", "127.0.0.1:" + std::to_string(port)}};
    const httplib::Result drawn = Send("POST", Local("/api/draw?dither=1&alpha=1&lit=1"), host, text);
    ASSERT_TRUE(drawn);
    // Drawn pixel for pixel as the tool's preview, stored more quickly.
    writeFile(outside->Path("drawn.png"), drawn->body);
    EXPECT_EQ(loadImage(outside->Path("drawn.png").c_str()).pixels(), loadImage(outside->Path("lit.png").c_str()).pixels());
    const httplib::Result saved = Send("POST", Local("/api/save?dither=1&alpha=1"), host, text);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->status, 200);
    EXPECT_EQ(readBytes(inside->Path("newZbeos")), readBytes(outside->Path("new")));
    ASSERT_EQ(unlink(inside->Path("newZbeos").c_str()), 0);
}

TEST_F(studioServerTest, OpensABootLoaderFileAsItsArtworkInTheFolder)
{
    const bytes_t sample = makeSampleZbeos();
    const httplib::Result opened = Send("POST", Local("/api/open"), {{"Host", "127.0.0.1:" + std::to_string(port)}},
                                        multipart("old", std::string(sample.begin(), sample.end()), "zbeos"), formType);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->status, 200) << opened->body;
    EXPECT_NE(opened->body.find("image \\\"old-artwork/slot04-image.png\\\" at"), std::string::npos) << opened->body;
    EXPECT_FALSE(readBytes(inside->Path("old-artwork/slot04-image.png")).empty());
}

TEST(accessToken, IsNewEachRunAndComparedWhole)
{
    const std::string first = newAccessToken(), second = newAccessToken();
    EXPECT_EQ(first.size(), 32u);
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(first, second);
    EXPECT_TRUE(sameToken(first, first));
    EXPECT_FALSE(sameToken(first.substr(0, 31), first));
    EXPECT_FALSE(sameToken(second, first));
    EXPECT_FALSE(sameToken("", first));
}

} // namespace
