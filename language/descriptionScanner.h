// The description scanner: turns one description stream into tokens. Each
// scanner object holds all of its state, so several can scan side by side and
// a failed scan leaves nothing behind once the object is gone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

/// The scanner's current-token record, overwritten by every getToken().
struct token_t {
    int32_t tok;  ///< token code; single characters as signed 8-bit values
    int32_t line; ///< line counter right after the match
    union {
        int32_t number; ///< INTEGER_CONSTANT
        char *text;     ///< STRING_CONSTANT: a new copy, owned by the taker
    } value;
};

/// Thrown by getToken() when the scanner cannot go on: the input cannot be
/// read or a buffer cannot be allocated.
struct scannerFailure_t {
    const char *message; ///< the scanner's own text, without a line end
};

/// What the lexical rules keep between matches.
struct scanPosition_t {
    int32_t line = 1;        ///< counts line ends, starting at 1
    bool inputEnded = false; ///< the real end of the input was met
    bool rawBytes = false;   ///< every byte is a token of its own, for followingBytes()
};

/// A scanner over one stream, which the caller opens and closes.
class descriptionScanner_t {
public:
    /// Scans `input` from its current position. Throws std::bad_alloc when
    /// the scanner's state cannot be allocated.
    explicit descriptionScanner_t(FILE *input);
    ~descriptionScanner_t();
    descriptionScanner_t(const descriptionScanner_t &) = delete;
    descriptionScanner_t &operator=(const descriptionScanner_t &) = delete;

    /// Scans the next token into the current-token record and returns its
    /// address; at the end of the input the code is 0, again on every later
    /// call. Throws scannerFailure_t on a fatal scanner error.
    token_t *getToken();

    /// The record of the last token scanned (line 1 and code 0 before the
    /// first).
    const token_t &currentToken() const { return token_; }

    /// True once the real end of the input was met, as opposed to a NUL
    /// byte, which also has the code 0.
    bool inputEnded() const { return position_.inputEnded; }

    /// The bytes of the last token as they stand in the input, the first
    /// `limit` of them; empty at the end of the input.
    std::string matchedText(size_t limit) const;

    /// Reads on past the last token and returns the next `limit` bytes,
    /// fewer where the input ends or can no longer be read. For a report
    /// once the parse is over: no token can be scanned after it.
    std::string followingBytes(size_t limit);

private:
    void *flex_; ///< the flex scanner, whose extra data is position_
    scanPosition_t position_;
    token_t token_;
};
