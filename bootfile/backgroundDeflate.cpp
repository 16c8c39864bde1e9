#include "bootfile/backgroundDeflate.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <zlib.h>

#include "diagnostics/mappedAtOnce.h"

namespace {

// Waking the thread for every row would cost more than it saves: it is told
// of new bytes a stretch at a time, and of the last ones at once.
const uint64_t wakeEvery = 32768;

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

backgroundDeflate_t::backgroundDeflate_t(const unsigned char *data, uint64_t length, int level)
    : data(data), length(length), level(level), worker(new besideTask_t([this] { Run(); }))
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

int backgroundDeflate_t::Finish(std::vector<unsigned char> *deflated, unsigned long *crc)
{
    Ready(length);
    worker->Wait();
    worker.reset();
    if (code == Z_OK) {
        deflated->swap(output);
        *crc = checksum;
    }
    return code;
}

void backgroundDeflate_t::Run()
{
    // zlib counts in uInt; larger buffers are refused rather than truncated.
    if (length > UINT_MAX) {
        code = Z_BUF_ERROR;
        return;
    }
    z_stream stream{};
    stream.zalloc = allocateMapped;
    stream.zfree = freeMapped;
    code = deflateInit2(&stream, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    if (code != Z_OK)
        return;
    // The bound holds the whole stream, so the output never runs out. It is
    // left uninitialised: the pages the stream does not reach are then never
    // touched, and cost no memory.
    const uLong bound = deflateBound(&stream, uLong(length));
    std::unique_ptr<unsigned char[]> bounded(new (std::nothrow) unsigned char[bound]);
    if (!bounded) {
        deflateEnd(&stream);
        code = Z_MEM_ERROR;
        return;
    }
    stream.next_out = bounded.get();
    stream.avail_out = uInt(bound);
    uint64_t fed = 0;
    while (code == Z_OK && fed < length) {
        const uint64_t available = WaitBeyond(fed);
        if (available == 0) {
            code = Z_STREAM_ERROR;
            break;
        }
        stream.next_in = const_cast<Bytef *>(data + fed);
        stream.avail_in = uInt(available - fed);
        fed = available;
        code = deflate(&stream, fed == length ? Z_FINISH : Z_NO_FLUSH);
        if (code == Z_STREAM_END)
            code = fed == length ? Z_OK : Z_STREAM_ERROR;
        else if (fed == length && code == Z_OK)
            code = Z_BUF_ERROR; // Z_FINISH that did not finish
    }
    if (length == 0 && code == Z_OK) {
        code = deflate(&stream, Z_FINISH);
        code = code == Z_STREAM_END ? Z_OK : code;
    }
    // An exception must not leave this thread: running short here is the
    // codec's own failure to report.
    try {
        output.assign(bounded.get(), bounded.get() + stream.total_out);
    } catch (const std::bad_alloc &) {
        code = Z_MEM_ERROR;
    }
    const int ended = deflateEnd(&stream);
    if (code == Z_OK)
        code = ended;
}
