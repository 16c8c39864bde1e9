// The GIF decoder, through giflib.
#pragma once

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// Whether `data` starts with the GIF87a or GIF89a signature.
bool looksLikeGif(const uint8_t *data, size_t size);

/// Decodes the first frame on the screen the file describes: the frame's
/// transparent index keeps its colour at alpha 0, the screen outside the
/// frame takes the background colour at alpha 0, and whatever of the frame
/// lies outside the screen is cut off. A file without any colour table is
/// drawn with a table of its own: black, white, then the grey level of each
/// further index. The rest of the file is walked to its trailer. Refuses
/// (false, with its reason) an empty frame, an index beyond the colour
/// table and a file cut short anywhere.
bool decodeGif(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
