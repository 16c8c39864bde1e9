// A boot loader file being edited: raw boot code, the compressed loader and
// the compressed splash, located by their gzip member headers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/secondThread.h"
#include "bootfile/iconPack.h"
#include "bootfile/newSplash.h"
#include "bootfile/zbeosSections.h"

/// One boot loader file: everything in front of the splash member is kept
/// byte for byte, the splash is parsed into an icon pack and rebuilt on Save.
class zbeos_t {
public:
    /// Reads and dissects the file at path; throws dawnmarkError_t (subject path)
    /// when it cannot be read, is not a boot loader file or its loader
    /// member does not inflate to its trailer (the reason in the words of
    /// addMemberDamage), and lets the icon pack's own dawnmarkError_t pass.
    explicit zbeos_t(const char *path);
    ~zbeos_t();
    zbeos_t(const zbeos_t &) = delete;
    zbeos_t &operator=(const zbeos_t &) = delete;

    void DefineScreen(unsigned width, unsigned height, unsigned depth);
    void IconsAt(unsigned x, unsigned y);
    void AddImage(const packPicture_t &picture);
    /// zbeosIconPack_t::UseIcons.
    void UseIcons(const packPicture_t &lit, const char *litName, const packPicture_t &unlit, const char *unlitName);
    /// Refuses, with dawnmarkError_t (subject path), a new splash too large for the
    /// boot loader's buffer: a file that could not boot (and that could not
    /// be read again). Its size follows from the pictures' sizes, so this is
    /// known before any work is done on them.
    void RequireSplashFits(const char *path) const;
    /// Writes the new boot loader file to path, the splash deflated at
    /// `level` on `thread`, replacing any file
    /// there only once the new one is complete and verified. Throws dawnmarkError_t
    /// with subject path and the system's reason on failure, leaving what
    /// was at path untouched. The splash is released as soon as the pack is
    /// laid out. With keepReplaced, a file that the new one replaces is
    /// kept as a backup beside it (safeFile_t::Commit). Returns the inflated
    /// splash written, for a look at it that does not depend on reading
    /// path back.
    std::vector<unsigned char> Save(const char *path, newSplash_t splash, int level,
                                    secondThread_t &thread, bool keepReplaced = false) const;

    const zbeosIconPack_t &IconPack() const { return *iconPack; }

private:
    std::vector<unsigned char> headSections;
    /// The splash member's gzip header exactly as found in the input.
    unsigned char splashHeader[zbeosSplashHeaderSize];
    std::unique_ptr<zbeosIconPack_t> iconPack;
};
