// Raw inflate of the gzip members inside a boot loader file, and recognition
// of their headers; the deflate is backgroundDeflate_t. Nothing here reads or
// writes gzip headers or trailers: the caller finds headers with checkZSig and
// frames the data.
#pragma once

/// Header of the compressed loader member: FNAME only, name "beos".
extern const unsigned char firstSignature[15];
/// Header of the compressed splash member: FNAME only, name "images".
extern const unsigned char secondSignature[17];

/// True when data matches the header template over length bytes, MTIME, XFL
/// and OS (bytes 4 to 9) excepted; false for a length below 10.
bool checkZSig(const unsigned char *data, const unsigned char *signature, unsigned length);

/// Inflates raw deflate data in one pass. *destinationLength is the capacity
/// on entry and the inflated length on success. Returns Z_OK or the zlib
/// code of the failure, leaving *destinationLength unchanged then.
int guncompress(unsigned char *destination, unsigned long *destinationLength,
                const unsigned char *source, unsigned long sourceLength);
