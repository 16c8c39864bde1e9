// The one-pass deflate that the streamed one must equal, byte for byte.
#pragma once

/// Deflates (raw, memory level 9, at the given level) in one pass and
/// computes the gzip CRC-32 of the source. *destinationLength is the
/// capacity on entry and the compressed length on success. Returns Z_OK, or
/// a zlib code (Z_BUF_ERROR when the capacity is too small) leaving the
/// length unchanged and *crc at the CRC start value.
int gcompress(unsigned char *destination, unsigned long *destinationLength, const unsigned char *source,
              unsigned long sourceLength, unsigned long *crc, int level = 9);
