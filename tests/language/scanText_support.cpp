#include "scanText_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <sys/types.h>
#include <vector>

TextFile::TextFile(const std::string &text) : file_(tmpfile())
{
    if (file_ == nullptr)
        throw std::runtime_error("no temporary file");
    fwrite(text.data(), 1, text.size(), file_);
    rewind(file_);
}

TextFile::~TextFile() { fclose(file_); }

namespace {

struct failingStream_t {
    std::string text;
    size_t offset = 0;
};

ssize_t readThenFail(void *cookie, char *buffer, size_t size)
{
    failingStream_t *stream = static_cast<failingStream_t *>(cookie);
    size_t left = stream->text.size() - stream->offset;
    if (left == 0) {
        errno = EIO;
        return -1;
    }
    size_t count = std::min(left, size);
    memcpy(buffer, stream->text.data() + stream->offset, count);
    stream->offset += count;
    return (ssize_t)count;
}

int closeStream(void *cookie)
{
    delete static_cast<failingStream_t *>(cookie);
    return 0;
}

} // namespace

FILE *openFailingAfter(const std::string &text)
{
    cookie_io_functions_t functions{};
    functions.read = readThenFail;
    functions.close = closeStream;
    return fopencookie(new failingStream_t{text}, "r", functions);
}

descriptionResult_t parseTextInto(const std::string &text, splashDescription_t *record)
{
    // Whatever the parse must set is left with something else in it first.
    *record = splashDescription_t();
    record->placeOwnIcons(0x5a5a5a5a, 0x5a5a5a5a, "stale", "stale");
    while (record->addImage({"stale", 0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a, 0x5a5a5a5a}))
        ;
    record->setScreen({640, 480, 16});
    TextFile file(text);
    return parseDescription(file.get(), record);
}

splashDescription_t parseText(const std::string &text)
{
    splashDescription_t record;
    descriptionResult_t result = parseTextInto(text, &record);
    EXPECT_EQ(result.status, descriptionStatus_t::accepted) << descriptionFailureText(result);
    return record;
}
