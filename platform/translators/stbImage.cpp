// The one translation unit that holds stb_image's implementation.
#define STB_IMAGE_IMPLEMENTATION
#include "platform/translators/stbImage.h"
