// The splash description record that one parse fills, and the interface
// between the description scanner and its parser.
#pragma once

#include <cstdint>
#include <cstdio>

#define MAX_SPLASH_IMAGES 64

/// How an image entry's size is changed after it has been placed.
enum splashModifier_t : uint32_t {
    MOD_NONE = 0,    ///< keeps its own size
    MOD_RESIZED = 1, ///< zoomed to fit width x height
    MOD_CLIPPED = 2, ///< cropped to at most width x height
};

/// One image definition of the description.
struct splashImage_t {
    char *fileName; ///< as written between the quotes; never freed
    int32_t x;
    int32_t y;
    uint32_t modifier;
    uint32_t width;
    uint32_t height;
};

/// Everything one description says.
struct splashDescription_t {
    uint32_t screenWidth;
    uint32_t screenHeight;
    uint32_t screenDepth;
    uint32_t iconsX;
    uint32_t iconsY;
    uint32_t imageCount;
    splashImage_t images[MAX_SPLASH_IMAGES];
};

/// The scanner's current-token record, overwritten by every getToken().
struct token_t {
    int32_t tok;  ///< token code; single characters as signed 8-bit values
    int32_t line; ///< line counter right after the match
    union {
        int32_t number; ///< INTEGER_CONSTANT
        char *text;     ///< STRING_CONSTANT: a new copy, owned by the taker
    } value;
};

/// Scans the next token into the current-token record and returns its address.
token_t *getToken();

/// True once the scanner has met the real end of its input, as opposed to a
/// NUL byte, which also has the code 0.
bool scannerInputEnded();

/// Makes `input` the scanner's input from its start, with the line counter
/// back at 1. A run scans one file and never needs this; it serves callers
/// that scan several inputs in one process.
void restartScanner(FILE *input);

/// Parses the description read from yyin into the record. Returns 0 when the
/// whole input was accepted; every failure ends the process.
int yyparse(splashDescription_t *description);

extern FILE *yyin;
extern int yylineno;
