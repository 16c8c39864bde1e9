#include "bootfile/backgroundDeflate.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <zlib.h>

#include "base/mappedAtOnce.h"

namespace {

// Waking the thread for every row would cost more than it saves: it is told
// of new bytes a stretch at a time, and of the last ones at once.
const uint64_t wakeEvery = 8192;

// The codec is given at most this much at a time, so that what it has made
// can be handed on while it goes on.
const uint64_t sliceBytes = 65536;

// The codec's tables (about 400 KB at memory level 9) are all used on a
// pack of any size: their pages are mapped at once.
voidpf allocateMapped(voidpf, uInt items, uInt size)
{
    const size_t bytes = size_t(items) * size;
    void *memory = malloc(bytes);
    if (memory != nullptr)
        mapForWriting(memory, bytes);
    return memory;
}

void freeMapped(voidpf, voidpf memory) { free(memory); }

} // namespace

backgroundDeflate_t::backgroundDeflate_t(const unsigned char *data, uint64_t length, int level,
                                         secondThread_t &thread, stretch_t alongside)
    : data(data), length(length), level(level), alongside(std::move(alongside)),
      worker(new besideTask_t(thread, [this] { Run(); }))
{
}

backgroundDeflate_t::~backgroundDeflate_t()
{
    if (worker == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        abandoned = true;
    }
    more.notify_one();
    worker.reset();
}

void backgroundDeflate_t::Ready(uint64_t bytes)
{
    // The checksum is the caller's work: the codec is the slower of the two,
    // and the run waits for it alone at the end.
    checksum = crc32_z(checksum, data + summed, size_t(bytes - summed));
    summed = bytes;
    bool wake;
    {
        std::lock_guard<std::mutex> lock(mutex);
        wake = bytes == length || bytes / wakeEvery != ready / wakeEvery;
        ready = bytes;
    }
    if (wake)
        more.notify_one();
}

uint64_t backgroundDeflate_t::WaitBeyond(uint64_t fed)
{
    std::unique_lock<std::mutex> lock(mutex);
    more.wait(lock, [&] { return abandoned || ready > fed; });
    return abandoned ? 0 : ready;
}

void backgroundDeflate_t::Made(uint64_t bytes, bool whole)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (bytes == made && !whole)
            return;
        made = bytes;
        complete = whole;
    }
    progress.notify_one();
}

int backgroundDeflate_t::Finish(unsigned long *crc,
                                const std::function<void(const unsigned char *, size_t, bool)> &take)
{
    Ready(length);
    for (uint64_t given = 0; take;) {
        uint64_t now;
        bool whole, over;
        {
            std::unique_lock<std::mutex> lock(mutex);
            progress.wait(lock, [&] { return ended || complete || made > given; });
            now = made;
            whole = complete;
            over = ended;
        }
        if (now > given || whole)
            take(stream.get() + given, size_t(now - given), whole);
        given = now;
        if (whole || over)
            break;
    }
    worker->Wait();
    worker.reset();
    if (code != Z_OK)
        return code;
    *crc = checksum;
    return Z_OK;
}

void backgroundDeflate_t::Run()
{
    Deflate();
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
    progress.notify_one();
}

void backgroundDeflate_t::HandAlongside(uint64_t bytes)
{
    if (alongside && bytes > handed)
        alongside(stream.get() + handed, size_t(bytes - handed));
    handed = bytes;
}

void backgroundDeflate_t::Deflate()
{
    // zlib counts in uInt; larger buffers are refused rather than truncated.
    if (length > UINT_MAX) {
        code = Z_BUF_ERROR;
        return;
    }
    z_stream codec{};
    codec.zalloc = allocateMapped;
    codec.zfree = freeMapped;
    code = deflateInit2(&codec, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    if (code != Z_OK)
        return;
    // The bound holds the whole stream, so the output never runs out. It is
    // left uninitialised: the pages the stream does not reach are then never
    // touched, and cost no memory.
    const uLong bound = deflateBound(&codec, uLong(length));
    stream.reset(new (std::nothrow) unsigned char[bound]);
    if (!stream) {
        deflateEnd(&codec);
        code = Z_MEM_ERROR;
        return;
    }
    codec.next_out = stream.get();
    codec.avail_out = uInt(bound);
    uint64_t fed = 0, available = 0;
    while (code == Z_OK && fed < length) {
        if (available == fed)
            available = WaitBeyond(fed);
        if (available == 0) {
            code = Z_STREAM_ERROR;
            break;
        }
        const uint64_t slice = std::min(available - fed, sliceBytes);
        codec.next_in = const_cast<Bytef *>(data + fed);
        codec.avail_in = uInt(slice);
        fed += slice;
        code = deflate(&codec, fed == length ? Z_FINISH : Z_NO_FLUSH);
        if (code == Z_STREAM_END)
            code = fed == length ? Z_OK : Z_STREAM_ERROR;
        else if (fed == length && code == Z_OK)
            code = Z_BUF_ERROR; // Z_FINISH that did not finish
        HandAlongside(codec.total_out);
        Made(codec.total_out, fed == length && code == Z_OK);
    }
    if (length == 0 && code == Z_OK) {
        code = deflate(&codec, Z_FINISH);
        code = code == Z_STREAM_END ? Z_OK : code;
        HandAlongside(codec.total_out);
        Made(codec.total_out, code == Z_OK);
    }
    const int codecEnded = deflateEnd(&codec);
    if (code == Z_OK)
        code = codecEnded;
}
