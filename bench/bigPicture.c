/* Writes a large photograph-like picture to standard output, a row at a
 * time, so that pictures of any size cost no memory to make: soft waves of
 * colour with a little grain, as a binary PPM (for cjpeg) or a PNG, of 8 or
 * 16 bits a sample. ImageMagick would hold the whole picture, at 8 bytes a
 * pixel, while making it. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

static void put32(unsigned char *at, uint32_t v)
{
    at[0] = (unsigned char)(v >> 24);
    at[1] = (unsigned char)(v >> 16);
    at[2] = (unsigned char)(v >> 8);
    at[3] = (unsigned char)v;
}

static void chunk(const char *kind, const unsigned char *data, uint32_t length)
{
    unsigned char head[8], tail[4];
    put32(head, length);
    memcpy(head + 4, kind, 4);
    uLong crc = crc32(crc32(0, (const Bytef *)kind, 4), data, length);
    put32(tail, (uint32_t)crc);
    fwrite(head, 1, 8, stdout);
    fwrite(data, 1, length, stdout);
    fwrite(tail, 1, 4, stdout);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: big-picture WIDTH HEIGHT ppm|png|png16\n");
        return 2;
    }
    const uint32_t width = (uint32_t)atol(argv[1]), height = (uint32_t)atol(argv[2]);
    const int png = strncmp(argv[3], "png", 3) == 0, deep = strcmp(argv[3], "png16") == 0;
    const size_t bytes = (size_t)width * 3 * (deep ? 2 : 1);
    unsigned char *row = malloc(bytes + 1), *out = malloc(1 << 16);
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    if (png) {
        unsigned char header[13] = {0};
        put32(header, width);
        put32(header + 4, height);
        header[8] = deep ? 16 : 8;
        header[9] = 2; /* RGB */
        fwrite("\x89PNG\r\n\x1a\n", 1, 8, stdout);
        chunk("IHDR", header, 13);
        deflateInit(&stream, 1);
    } else {
        printf("P6\n%u %u\n255\n", width, height);
    }
    uint32_t seed = 1;
    for (uint32_t y = 0; y < height; ++y) {
        row[0] = 0; /* a PNG row's filter: none */
        unsigned char *at = row + png;
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                seed = seed * 1103515245u + 12345u;
                const double v = 0.5 + 0.25 * sin(x * (0.003 + c * 0.001) + y * 0.002) +
                                 0.2 * sin(y * 0.011 + c) * cos(x * 0.007) + ((seed >> 16) & 255) / 255.0 * 0.03;
                const double level = fmin(fmax(v, 0), 1) * (deep ? 65535 : 255);
                if (deep)
                    *at++ = (unsigned char)((unsigned)level >> 8);
                *at++ = (unsigned char)((unsigned)level & 255);
            }
        if (!png) {
            fwrite(row, 1, bytes, stdout);
            continue;
        }
        stream.next_in = row;
        stream.avail_in = (uInt)(bytes + 1);
        do {
            stream.next_out = out;
            stream.avail_out = 1 << 16;
            deflate(&stream, y + 1 == height ? Z_FINISH : Z_NO_FLUSH);
            if ((1 << 16) - stream.avail_out > 0)
                chunk("IDAT", out, (1 << 16) - stream.avail_out);
        } while (stream.avail_out == 0 || (y + 1 == height && stream.avail_in > 0));
    }
    if (png) {
        deflateEnd(&stream);
        chunk("IEND", out, 0);
    }
    free(row);
    free(out);
    return fflush(stdout) == 0 ? 0 : 1;
}
