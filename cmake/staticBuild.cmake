# DAWNMARK_STATIC: Dawnmark and Dawnmark-inspect are linked fully static, each
# one file that runs on any x86-64 Linux, WSL included, whether the image
# libraries are installed there or not. Included before the libraries are
# looked for: the archives (.a) that the Debian -dev packages ship are then
# found instead of the shared libraries, for every program of the build (the
# tests link the same code as the tools), and FindPNG adds libm after libpng
# and zlib itself once it sees an archive. Only the shipped programs take the
# C and C++ runtimes statically as well; the test programs keep them shared,
# since the test framework's archive calls glibc's name lookup, which a static
# program can only use with the very glibc it was linked against.
option(DAWNMARK_STATIC "Link Dawnmark and Dawnmark-inspect fully static (one file each, no shared libraries)" OFF)

if(DAWNMARK_STATIC)
  if(DAWNMARK_SANITIZE OR DAWNMARK_FUZZ OR DAWNMARK_TSAN)
    message(FATAL_ERROR "DAWNMARK_STATIC cannot be combined with DAWNMARK_SANITIZE, DAWNMARK_TSAN or DAWNMARK_FUZZ: the sanitizer runtimes are shared libraries")
  endif()
  # A build folder first configured without the option keeps the shared
  # libraries it found then.
  foreach(found ZLIB_LIBRARY_RELEASE PNG_LIBRARY_RELEASE JPEG_LIBRARY_RELEASE GIF_LIBRARY
                pkgcfg_lib_WEBP_webp pkgcfg_lib_WEBP_webpdemux pkgcfg_lib_HEIF_heif pkgcfg_lib_JXL_jxl)
    if(${found} AND NOT ${found} MATCHES "\\.a$")
      message(FATAL_ERROR "DAWNMARK_STATIC needs a build folder of its own: ${CMAKE_BINARY_DIR} already uses ${${found}}")
    endif()
  endforeach()
  set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
endif()

# Declares a program that is installed for users: fully static under
# DAWNMARK_STATIC.
function(dm_shipped_program target)
  if(DAWNMARK_STATIC)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()
