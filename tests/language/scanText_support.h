// Feeds texts to the description scanner and parser, which read from a FILE.
#pragma once

#include <cstdio>
#include <string>

#include "language/parseDescription.h"
#include "language/splashDescription.h"

/// `text` in an unnamed temporary file, open for reading from its start and
/// closed with the object.
class TextFile {
public:
    explicit TextFile(const std::string &text);
    ~TextFile();
    TextFile(const TextFile &) = delete;
    TextFile &operator=(const TextFile &) = delete;
    FILE *get() const { return file_; }

private:
    FILE *file_;
};

/// A stream that yields `text` and then fails to read, as a disk might.
/// The caller closes it.
FILE *openFailingAfter(const std::string &text);

/// Parses `text` into `record`, whose fields are first filled with a marker
/// (screen presets 640 x 480 x 16), so that what the parser clears and what it
/// keeps both show.
descriptionResult_t parseTextInto(const std::string &text, splashDescription_t *record);

/// parseTextInto() on a fresh record; expects the whole text to be accepted.
splashDescription_t parseText(const std::string &text);
