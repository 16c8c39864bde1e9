// Reading the PNG files the inspector writes, as stored, so that the tests
// see its index bytes and palette rather than what a viewer makes of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// A PNG file as stored: no transformation but the unpacking of small
/// samples to one byte each.
struct storedPng_t {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int colorType = -1;
    int bitDepth = 0;
    std::vector<uint8_t> samples; ///< rows top to bottom, no gap
    std::vector<uint8_t> palette; ///< PLTE as red, green, blue triples
};
storedPng_t readStoredPng(const std::string &path);
