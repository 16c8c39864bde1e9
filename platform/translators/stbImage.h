// stb_image as the project builds it: the header Debian ships, compiled into
// the project by stbImage.cpp alone, so that the sanitizers and the fuzzer
// instrument it like our own code. Only the format the stb translator hands
// to it is compiled (BMP); files are read from memory only.
#pragma once

#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// Failure texts meant for a person ("Corrupt BMP"), passed on as the reason
// for a refusal.
#define STBI_FAILURE_USERMSG

#include <stb/stb_image.h>
