// What the decoders' tests check of every file: decoded as a file's content
// is (decodeContent) to exactly its pixels, or refused with its reason and
// no pixels.
#pragma once

#include <string>
#include <vector>

#include "decoders/decodeFile.h"
#include "fixtures/imageVariants.h"

/// decodeContent on the whole of `file`.
decodedFile_t decodeBytes(const bytes_t &file);

/// A width x height image in the colour space `colors`, with the header the
/// load traces and as many pixel bytes as it announces.
void expectBitmap(const decodedFile_t &result, uint32_t width, uint32_t height, uint32_t colors);

/// The variant's file becomes its pixels, in B_RGBA32 if it has alpha.
void expectDecodedAs(const imageVariant_t &variant);

/// The file is refused by the decoding with no pixels, and the reason
/// contains the expected part.
void expectRefused(const damagedImage_t &damaged);

/// expectDecodedAs and expectRefused for every variant and every damaged
/// file of one format ("GIF").
void expectEveryVariantDecoded(const std::string &format);
void expectEveryDamagedRefused(const std::string &format);

/// The variants and the damaged files of one format ("GIF"); never none.
std::vector<imageVariant_t> variantsOf(const std::string &format);
std::vector<damagedImage_t> damagedOf(const std::string &format);

/// The first `length` bytes of a file.
bytes_t cut(bytes_t file, size_t length);
