#include "imaging/testImages_support.h"

#include <algorithm>
#include <cmath>

#include "imaging/mixImages.h"

uint32_t testRandom_t::next()
{
    // splitmix64
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return uint32_t((z ^ (z >> 31)) >> 32);
}

imagePtr blankImage(unsigned w, unsigned h, int x, int y)
{
    imagePtr image(new loadedImage_t());
    image->width = w;
    image->height = h;
    image->x = x;
    image->y = y;
    image->pixels = new uint8_t[uint64_t(w) * h * 4]();
    return image;
}

void setPixel(loadedImage_t *image, unsigned column, unsigned row, unsigned red, unsigned green,
              unsigned blue)
{
    uint8_t *pixel = image->pixels + (uint64_t(row) * image->width + column) * 4;
    pixel[0] = uint8_t(blue);
    pixel[1] = uint8_t(green);
    pixel[2] = uint8_t(red);
}

uint32_t pixelAt(const loadedImage_t *image, unsigned column, unsigned row)
{
    const uint8_t *pixel = image->pixels + (uint64_t(row) * image->width + column) * 4;
    return uint32_t(pixel[2]) << 16 | uint32_t(pixel[1]) << 8 | pixel[0];
}

namespace {

unsigned clampComponent(double v)
{
    return unsigned(std::min(255.0, std::max(0.0, v)));
}

void paintLogo(loadedImage_t *image, testRandom_t &random)
{
    const unsigned w = 8 + random.below(image->width / 3 + 1);
    const unsigned h = 8 + random.below(image->height / 3 + 1);
    const unsigned x0 = random.below(image->width), y0 = random.below(image->height);
    const unsigned red = random.below(256), green = random.below(256), blue = random.below(256);
    const bool round = random.below(2) == 0;
    for (unsigned r = y0; r < std::min(image->height, y0 + h); ++r) {
        for (unsigned c = x0; c < std::min(image->width, x0 + w); ++c) {
            const double dx = (c - x0 + 0.5) / w - 0.5, dy = (r - y0 + 0.5) / h - 0.5;
            if (!round || dx * dx + dy * dy < 0.25)
                setPixel(image, c, r, red, green, blue);
        }
    }
}

} // namespace

imagePtr solidImage(unsigned w, unsigned h, unsigned red, unsigned green, unsigned blue)
{
    imagePtr image = blankImage(w, h);
    for (unsigned r = 0; r < h; ++r)
        for (unsigned c = 0; c < w; ++c)
            setPixel(image.get(), c, r, red, green, blue);
    return image;
}

imagePtr halvesImage(unsigned w, unsigned h)
{
    imagePtr image = blankImage(w, h);
    for (unsigned r = 0; r < h / 2; ++r)
        for (unsigned c = 0; c < w; ++c)
            setPixel(image.get(), c, r, 255, 255, 255);
    return image;
}

imagePtr fewColorsImage(unsigned w, unsigned h, unsigned count, uint64_t seed)
{
    testRandom_t random(seed);
    std::vector<uint32_t> colors(count);
    for (uint32_t &color : colors)
        color = random.next() & 0xffffff;
    imagePtr image = blankImage(w, h);
    for (unsigned r = 0; r < h; ++r) {
        for (unsigned c = 0; c < w; ++c) {
            const uint32_t color = colors[random.below(count)];
            setPixel(image.get(), c, r, color >> 16, (color >> 8) & 0xff, color & 0xff);
        }
    }
    return image;
}

imagePtr rareColorsImage(unsigned w, unsigned h, unsigned every)
{
    imagePtr image = solidImage(w, h, 200, 30, 60);
    for (unsigned p = 0; p < w * h; p += every) {
        const unsigned v = (p / every) % 8;
        setPixel(image.get(), p % w, p / w, 20 + (v & 1), 220 + (v >> 1 & 1), 100 + (v >> 2));
    }
    return image;
}

imagePtr noiseImage(unsigned w, unsigned h, uint64_t seed)
{
    testRandom_t random(seed);
    imagePtr image = blankImage(w, h);
    for (uint64_t i = 0; i < uint64_t(w) * h * 4; ++i)
        image->pixels[i] = uint8_t(random.next());
    return image;
}

imagePtr gradientImage(unsigned w, unsigned h, unsigned amplitude, uint64_t seed)
{
    testRandom_t random(seed);
    imagePtr image = blankImage(w, h);
    auto grain = [&] {
        return amplitude ? double(random.below(2 * amplitude + 1)) - amplitude : 0.0;
    };
    for (unsigned r = 0; r < h; ++r) {
        for (unsigned c = 0; c < w; ++c) {
            const double u = double(c) / w, v = double(r) / h;
            setPixel(image.get(), c, r, clampComponent(255 * u + grain()),
                     clampComponent(255 * v + grain()),
                     clampComponent(128 + 100 * std::sin(6 * (u + v)) + grain()));
        }
    }
    return image;
}

imagePtr photoLikeImage(unsigned w, unsigned h, uint64_t seed)
{
    testRandom_t random(seed);
    struct blob_t {
        double x, y, radius, red, green, blue;
    };
    std::vector<blob_t> blobs(6);
    for (blob_t &blob : blobs)
        blob = {double(random.below(w)), double(random.below(h)), 40.0 + random.below(w / 2 + 1),
                double(random.below(256)), double(random.below(256)), double(random.below(256))};
    imagePtr image = blankImage(w, h);
    for (unsigned r = 0; r < h; ++r) {
        for (unsigned c = 0; c < w; ++c) {
            double red = 30, green = 40, blue = 60, weight = 1;
            for (const blob_t &blob : blobs) {
                const double dx = c - blob.x, dy = r - blob.y;
                const double k = std::exp(-(dx * dx + dy * dy) / (blob.radius * blob.radius));
                red += k * blob.red;
                green += k * blob.green;
                blue += k * blob.blue;
                weight += k;
            }
            auto grain = [&] { return double(random.below(9)) - 4; };
            setPixel(image.get(), c, r, clampComponent(red / weight + grain()),
                     clampComponent(green / weight + grain()),
                     clampComponent(blue / weight + grain()));
        }
    }
    for (unsigned i = 0; i < 5; ++i)
        paintLogo(image.get(), random);
    return image;
}

std::vector<imagePtr> scatteredImages(unsigned count, unsigned W, unsigned H, uint64_t seed)
{
    testRandom_t random(seed);
    std::vector<imagePtr> images;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned w = 4 + random.below(W / 4), h = 4 + random.below(H / 4);
        imagePtr image = i % 3 == 0 ? photoLikeImage(w, h, random.next())
                                    : solidImage(w, h, random.below(256), random.below(256),
                                                 random.below(256));
        if (i % 3 == 1)
            paintLogo(image.get(), random);
        image->x = int(random.below(W + W / 8));
        image->y = int(random.below(H + H / 8));
        images.push_back(std::move(image));
    }
    return images;
}

imagePtr mixedImage(const std::vector<imagePtr> &images, unsigned W, unsigned H)
{
    std::vector<loadedImage_t *> list;
    for (const imagePtr &image : images)
        list.push_back(image.get());
    return imagePtr(mixImages(list.data(), unsigned(list.size()), W, H));
}

imagePtr photoLikeComposite(uint64_t seed)
{
    testRandom_t random(seed);
    std::vector<imagePtr> images;
    images.push_back(photoLikeImage(600, 440, random.next()));
    images[0]->x = 20;
    images[0]->y = 20;
    for (unsigned i = 0; i < 4; ++i) {
        imagePtr logo = blankImage(120 + random.below(80), 60 + random.below(60),
                                   int(random.below(600)), int(random.below(460)));
        for (unsigned j = 0; j < 3; ++j)
            paintLogo(logo.get(), random);
        images.push_back(std::move(logo));
    }
    return mixedImage(images, 640, 480);
}

palette_t paletteOf(std::initializer_list<uint32_t> colors)
{
    palette_t palette{};
    for (uint32_t color : colors) {
        palette.red[palette.numColors] = uint8_t(color >> 16);
        palette.green[palette.numColors] = uint8_t(color >> 8);
        palette.blue[palette.numColors] = uint8_t(color);
        ++palette.numColors;
    }
    return palette;
}
