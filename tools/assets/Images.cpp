// Paints the flat images with seeded noise and FreeType text.
#include "Images.h"

#include "Random.h"
#include "Vec.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace assets
{

namespace
{

struct Canvas
{
    int width, height;
    std::vector<Vec3> rgb;
    Canvas(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h) {}
    Vec3& At(int x, int y) { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

Image Quantise(const Canvas& canvas, int channels)
{
    Image image{canvas.width, canvas.height, channels, {}};
    image.pixels.reserve(canvas.rgb.size() * channels);
    auto byte = [](float v) { return static_cast<std::uint8_t>(Clamp01(v) * 255.0f + 0.5f); };
    for (const Vec3& c : canvas.rgb)
    {
        image.pixels.push_back(byte(c.x));
        if (channels == 3)
        {
            image.pixels.push_back(byte(c.y));
            image.pixels.push_back(byte(c.z));
        }
    }
    return image;
}

float ValueNoise(float x, float y, std::uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::int32_t>(fx), iy = static_cast<std::int32_t>(fy);
    const float tx = Smoothstep(0, 1, x - fx), ty = Smoothstep(0, 1, y - fy);
    const float a = HashUnit(ix, iy, seed), b = HashUnit(ix + 1, iy, seed);
    const float c = HashUnit(ix, iy + 1, seed), d = HashUnit(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float Fbm(float x, float y, std::uint32_t seed, int octaves)
{
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i)
    {
        sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i));
        norm += amplitude;
        amplitude *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / norm;
}

// A soft round smudge added onto a grey mask.
void Smudge(std::vector<float>& mask, int w, int h, float cx, float cy, float radius, float amount)
{
    const int x0 = std::max(0, static_cast<int>(cx - radius)),
              x1 = std::min(w - 1, static_cast<int>(cx + radius));
    const int y0 = std::max(0, static_cast<int>(cy - radius)),
              y1 = std::min(h - 1, static_cast<int>(cy + radius));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            const float dx = (static_cast<float>(x) - cx) / radius,
                        dy = (static_cast<float>(y) - cy) / radius;
            const float d2 = dx * dx + dy * dy;
            if (d2 < 1)
                mask[static_cast<std::size_t>(y) * w + x] += amount * (1 - d2) * (1 - d2);
        }
}

// A thin curved line, drawn by stamping small anti-aliased discs along it (brightest wins).
void Scratch(std::vector<float>& mask, int w, int h, Random& random, float intensity,
             float maxLength)
{
    float x = random.Range(0, static_cast<float>(w)), y = random.Range(0, static_cast<float>(h));
    float angle = random.Range(0, 2 * kPi);
    const float bend = random.Range(-0.004f, 0.004f);
    const float length = random.Range(maxLength * 0.15f, maxLength);
    const float width = random.Range(0.6f, 1.4f);
    for (float s = 0; s < length; s += 0.5f)
    {
        angle += bend;
        x += 0.5f * std::cos(angle);
        y += 0.5f * std::sin(angle);
        const float fade = std::sin(kPi * s / length);
        for (int py = static_cast<int>(y) - 2; py <= static_cast<int>(y) + 2; ++py)
            for (int px = static_cast<int>(x) - 2; px <= static_cast<int>(x) + 2; ++px)
            {
                if (px < 0 || py < 0 || px >= w || py >= h)
                    continue;
                const float d = std::hypot(static_cast<float>(px) + 0.5f - x,
                                           static_cast<float>(py) + 0.5f - y);
                const float v = intensity * fade * Clamp01(width - d + 0.5f);
                float& m = mask[static_cast<std::size_t>(py) * w + px];
                m = std::max(m, v);
            }
    }
}

Image GreyToRgb(const std::vector<float>& mask, int w, int h, Vec3 tint)
{
    Canvas canvas(w, h);
    for (std::size_t i = 0; i < mask.size(); ++i)
        canvas.rgb[i] = tint * mask[i];
    return Quantise(canvas, 3);
}

class Font
{
  public:
    Font(FT_Library library, const std::string& path)
    {
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0)
            throw std::runtime_error("cannot open font " + path);
    }
    ~Font() { FT_Done_Face(face); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Draws `text` with its pen line at `baseline`, centred on `centreX` (or starting there when
    // not `centred`), into a coverage mask.
    void Draw(std::vector<float>& mask, int w, int h, const std::string& text, int pixels,
              float centreX, int baseline, bool centred = true)
    {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
        long width = 0;
        for (char ch : text)
        {
            Load(ch);
            width += face->glyph->advance.x;
        }
        long pen = static_cast<long>(centreX * 64) - (centred ? width / 2 : 0);
        for (char ch : text)
        {
            Load(ch);
            const FT_Bitmap& bitmap = face->glyph->bitmap;
            const int left = static_cast<int>(pen >> 6) + face->glyph->bitmap_left;
            const int top = baseline - face->glyph->bitmap_top;
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned col = 0; col < bitmap.width; ++col)
                {
                    const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
                    if (x < 0 || y < 0 || x >= w || y >= h)
                        continue;
                    const float v = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
                    float& m = mask[static_cast<std::size_t>(y) * w + x];
                    m = std::max(m, v);
                }
            pen += face->glyph->advance.x;
        }
    }

  private:
    void Load(char ch)
    {
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER) != 0)
            throw std::runtime_error(std::string("cannot render the character '") + ch + "'");
    }
    FT_Face face = nullptr;
};

class FreeTypeLibrary
{
  public:
    FreeTypeLibrary()
    {
        if (FT_Init_FreeType(&library) != 0)
            throw std::runtime_error("cannot initialise FreeType");
    }
    ~FreeTypeLibrary() { FT_Done_FreeType(library); }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
    FT_Library library = nullptr;
};

// Separable box blur, run twice for a soft glow.
std::vector<float> Blur(const std::vector<float>& in, int w, int h, int radius)
{
    std::vector<float> a = in, b(in.size());
    for (int pass = 0; pass < 2; ++pass)
    {
        for (int y = 0; y < h; ++y)
        {
            float sum = 0;
            for (int x = -radius; x <= radius; ++x)
                sum += a[static_cast<std::size_t>(y) * w + std::clamp(x, 0, w - 1)];
            for (int x = 0; x < w; ++x)
            {
                b[static_cast<std::size_t>(y) * w + x] = sum / static_cast<float>(2 * radius + 1);
                sum += a[static_cast<std::size_t>(y) * w + std::min(x + radius + 1, w - 1)] -
                       a[static_cast<std::size_t>(y) * w + std::max(x - radius, 0)];
            }
        }
        for (int x = 0; x < w; ++x)
        {
            float sum = 0;
            for (int y = -radius; y <= radius; ++y)
                sum += b[static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + x];
            for (int y = 0; y < h; ++y)
            {
                a[static_cast<std::size_t>(y) * w + x] = sum / static_cast<float>(2 * radius + 1);
                sum += b[static_cast<std::size_t>(std::min(y + radius + 1, h - 1)) * w + x] -
                       b[static_cast<std::size_t>(std::max(y - radius, 0)) * w + x];
            }
        }
    }
    return a;
}

struct TextLine
{
    std::string text;
    bool bold;
    int pixels;
    float baseline; // fraction of the height
    Vec3 colour;
};

Image TextCard(int width, int height, const std::string& fontDir,
               const std::vector<TextLine>& lines, Vec3 glowColour)
{
    FreeTypeLibrary ft;
    Font bold(ft.library, fontDir + "/DejaVuSans-Bold.ttf");
    Font regular(ft.library, fontDir + "/DejaVuSans.ttf");
    const float scale = static_cast<float>(height) / 1080.0f;

    Canvas canvas(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const float v = static_cast<float>(y) / static_cast<float>(height);
            const float band = std::exp(-std::pow((v - 0.62f) * 7.0f, 2.0f));
            canvas.At(x, y) = Lerp(Vec3{0.01f, 0.015f, 0.05f}, Vec3{0.05f, 0.03f, 0.09f}, v) +
                              Vec3{0.10f, 0.05f, 0.10f} * band;
        }
    std::vector<float> glowMask(canvas.rgb.size(), 0.0f);
    for (const TextLine& line : lines)
    {
        std::vector<float> mask(canvas.rgb.size(), 0.0f);
        (line.bold ? bold : regular)
            .Draw(mask, width, height, line.text,
                  static_cast<int>(static_cast<float>(line.pixels) * scale),
                  static_cast<float>(width) * 0.5f,
                  static_cast<int>(line.baseline * static_cast<float>(height)));
        for (std::size_t i = 0; i < mask.size(); ++i)
        {
            canvas.rgb[i] = Lerp(canvas.rgb[i], line.colour, mask[i]);
            if (line.bold)
                glowMask[i] = std::max(glowMask[i], mask[i]);
        }
    }
    const std::vector<float> glow =
        Blur(glowMask, width, height, std::max(4, static_cast<int>(22 * scale)));
    for (std::size_t i = 0; i < glow.size(); ++i)
        canvas.rgb[i] = canvas.rgb[i] + glowColour * glow[i];
    return Quantise(canvas, 3);
}

} // namespace

Image DirtMaskImage(int width, int height)
{
    Random random(0xD1A7);
    std::vector<float> mask(static_cast<std::size_t>(width) * height, 0.0f);
    const float scale = static_cast<float>(width) / 1280.0f;
    for (int i = 0; i < 260; ++i)
        Smudge(mask, width, height, random.Range(0, static_cast<float>(width)),
               random.Range(0, static_cast<float>(height)), random.Range(10, 90) * scale,
               random.Range(0.04f, 0.22f));
    for (int i = 0; i < 500; ++i)
        Smudge(mask, width, height, random.Range(0, static_cast<float>(width)),
               random.Range(0, static_cast<float>(height)), random.Range(1.5f, 4) * scale,
               random.Range(0.3f, 0.8f));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask[static_cast<std::size_t>(y) * width + x] *=
                0.5f + Fbm(static_cast<float>(x) / 160.0f, static_cast<float>(y) / 160.0f, 11, 4);
    return GreyToRgb(mask, width, height, {1.0f, 0.96f, 0.9f});
}

Image DirtScratchesImage(int width, int height)
{
    Random random(0x5C7A);
    std::vector<float> mask(static_cast<std::size_t>(width) * height, 0.0f);
    for (int i = 0; i < 160; ++i)
        Scratch(mask, width, height, random, random.Range(0.25f, 0.75f),
                static_cast<float>(width) * 0.35f);
    for (int i = 0; i < 60; ++i)
        Smudge(mask, width, height, random.Range(0, static_cast<float>(width)),
               random.Range(0, static_cast<float>(height)), random.Range(20, 120),
               random.Range(0.02f, 0.08f));
    return GreyToRgb(mask, width, height, {0.92f, 0.97f, 1.0f});
}

Image IronAlbedoImage(int size)
{
    Random random(0x1207);
    std::vector<float> scratches(static_cast<std::size_t>(size) * size, 0.0f);
    for (int i = 0; i < 400; ++i)
        Scratch(scratches, size, size, random, random.Range(0.2f, 0.6f),
                static_cast<float>(size) * 0.25f);
    Canvas canvas(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float fx = static_cast<float>(x) / static_cast<float>(size);
            const float fy = static_cast<float>(y) / static_cast<float>(size);
            const float grain = Fbm(fx * 64, fy * 8, 21, 3); // brushed along x
            const float stain = Fbm(fx * 6, fy * 6, 31, 5);
            const float rust = Smoothstep(0.58f, 0.72f, Fbm(fx * 9 + 4, fy * 9, 41, 5));
            Vec3 c = Vec3{0.78f, 0.79f, 0.8f} * (0.82f + 0.18f * grain);
            c = c * (1 - 0.35f * Smoothstep(0.55f, 0.75f, stain));
            c = Lerp(c, Vec3{0.55f, 0.36f, 0.24f}, rust * 0.8f);
            c = c + Vec3{0.15f, 0.15f, 0.15f} * scratches[static_cast<std::size_t>(y) * size + x];
            canvas.At(x, y) = c;
        }
    return Quantise(canvas, 3);
}

Image IronMetallicImage(int size)
{
    Canvas canvas(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float fx = static_cast<float>(x) / static_cast<float>(size);
            const float fy = static_cast<float>(y) / static_cast<float>(size);
            const float rust = Smoothstep(0.58f, 0.72f, Fbm(fx * 9 + 4, fy * 9, 41, 5));
            const float grain = Fbm(fx * 64, fy * 8, 21, 3);
            canvas.At(x, y) = Vec3{1, 1, 1} * ((0.86f + 0.12f * grain) * (1 - 0.65f * rust));
        }
    return Quantise(canvas, 1);
}

Image IntroImage(int width, int height, const std::string& fontDir)
{
    return TextCard(
        width, height, fontDir,
        {{"OMBREL", true, 300, 0.56f, {0.86f, 0.95f, 1.0f}},
         {"a real-time audio-visual presentation", false, 46, 0.68f, {0.75f, 0.8f, 0.9f}},
         {"150 seconds of generated light and sound", false, 30, 0.9f, {0.5f, 0.55f, 0.7f}}},
        {0.10f, 0.35f, 0.45f});
}

Image CreditsImage(int width, int height, const std::string& fontDir)
{
    return TextCard(
        width, height, fontDir,
        {{"OMBREL", true, 130, 0.25f, {0.86f, 0.95f, 1.0f}},
         {"code: C++20 on OpenGL 4.5 and Direct3D 11", false, 40, 0.40f, {0.8f, 0.85f, 0.95f}},
         {"music: synthesized note by note, encoded with LAME",
          false,
          40,
          0.48f,
          {0.8f, 0.85f, 0.95f}},
         {"meshes and textures: generated by ombrel-assets",
          false,
          40,
          0.56f,
          {0.8f, 0.85f, 0.95f}},
         {"type: DejaVu Sans, rendered with FreeType", false, 40, 0.64f, {0.8f, 0.85f, 0.95f}},
         {"thank you for watching", true, 56, 0.80f, {0.95f, 0.8f, 0.6f}}},
        {0.25f, 0.15f, 0.35f});
}

void DrawLabel(Image& image, const std::string& fontFile, const std::string& text, int pixels,
               int x, int baseline, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    FreeTypeLibrary ft;
    Font font(ft.library, fontFile);
    std::vector<float> mask(static_cast<std::size_t>(image.width) * image.height, 0.0f);
    font.Draw(mask, image.width, image.height, text, pixels, static_cast<float>(x), baseline,
              false);
    const std::uint8_t colour[3] = {r, g, b};
    for (std::size_t i = 0; i < mask.size(); ++i)
        for (int c = 0; c < 3; ++c)
        {
            std::uint8_t& p = image.pixels[i * 3 + c];
            p = static_cast<std::uint8_t>(p + (colour[c] - p) * mask[i]);
        }
}

std::vector<std::uint8_t> DdsBytes(const Image& image)
{
    std::vector<std::uint8_t> out(image.pixels.size());
    if (image.channels == 3)
    {
        for (std::size_t i = 0; i + 2 < image.pixels.size(); i += 3)
        {
            out[i] = image.pixels[i + 2];
            out[i + 1] = image.pixels[i + 1];
            out[i + 2] = image.pixels[i];
        }
    }
    else
    {
        out = image.pixels;
    }
    return out;
}

} // namespace assets
