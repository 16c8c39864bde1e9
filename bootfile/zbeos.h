// A boot loader file being edited: raw boot code, the compressed loader and
// the compressed splash, located by their gzip member headers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "bootfile/zbeosIcon.h"
#include "imaging/loadedImage.h"
#include "imaging/renderOptions.h"

/// One boot loader file: everything in front of the splash member is kept
/// byte for byte, the splash is parsed into an icon pack and rebuilt on Save.
class zbeos_t {
public:
    /// Reads and dissects the file at path; throws dawnmarkError_t (subject path)
    /// when it cannot be read or is not a boot loader file, and lets the
    /// icon pack's own dawnmarkError_t pass.
    explicit zbeos_t(const char *path);
    virtual ~zbeos_t();
    zbeos_t(const zbeos_t &) = delete;
    zbeos_t &operator=(const zbeos_t &) = delete;

    void DefineScreen(unsigned width, unsigned height, unsigned depth);
    void IconsAt(unsigned x, unsigned y);
    /// The image must stay alive until Save has returned.
    void AddImage(const loadedImage_t *image);
    /// zbeosIconPack_t::UseIcons; the strips must stay alive until Save has
    /// returned.
    void UseIcons(const loadedImage_t *lit, const char *litName, const loadedImage_t *unlit, const char *unlitName);
    /// Writes the new boot loader file to path, replacing any file there
    /// only once the new one is complete and verified. Throws dawnmarkError_t with
    /// subject path and the system's reason on failure, leaving what was at
    /// path untouched. The options say how the images become the splash.
    /// Returns the inflated splash written, for a look at it that does not
    /// depend on reading path back.
    std::vector<unsigned char> Save(const char *path, const renderOptions_t &options = renderOptions_t()) const;

    /// The first and second sections: file bytes 0 to headSectionsSize - 1.
    std::unique_ptr<unsigned char[]> headSections;
    uint32_t headSectionsSize;
    /// The splash member's gzip header exactly as found in the input.
    unsigned char splashHeader[17];
    std::unique_ptr<zbeosIconPack_t> iconPack;
};
