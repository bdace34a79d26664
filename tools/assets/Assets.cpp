// Binds each file of data/ to the code that generates it.
#include "Assets.h"

#include "Dds.h"
#include "Environment.h"
#include "Images.h"
#include "Mp3Encoder.h"
#include "Music.h"
#include "Scenes.h"

#include <stdexcept>

namespace assets
{

namespace
{

std::vector<std::uint8_t> ImageDds(const Image& image)
{
    return WriteDds(
        static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height), 1, false,
        image.channels == 3 ? DdsFormat::Rgb24 : DdsFormat::Luminance8, DdsBytes(image));
}

std::vector<Asset> MakeAssets()
{
    std::vector<Asset> list;
    for (const std::string& name : SceneNames())
        list.push_back({name + ".bin",
                        [name](const GenerateOptions&) { return WriteScene(BuildScene(name)); }});
    list.push_back({"irradiance.dds", [](const GenerateOptions&)
                    {
                        return WriteDds(kIrradianceSize, kIrradianceSize, 1, true,
                                        DdsFormat::Rgba16F, IrradiancePixels(kIrradianceSize));
                    }});
    list.push_back({"prefilter2048.dds", [](const GenerateOptions&)
                    {
                        const int levels = FullMipCount(kPrefilterSize);
                        return WriteDds(
                            kPrefilterSize, kPrefilterSize, static_cast<std::uint32_t>(levels),
                            true, DdsFormat::Rgba16F, PrefilterPixels(kPrefilterSize, levels));
                    }});
    list.push_back({"dirtmask.dds", [](const GenerateOptions&)
                    { return ImageDds(DirtMaskImage(kDirtWidth, kDirtHeight)); }});
    list.push_back({"dirtscratches.dds", [](const GenerateOptions&)
                    { return ImageDds(DirtScratchesImage(kDirtWidth, kDirtHeight)); }});
    list.push_back({"intro.dds", [](const GenerateOptions& o)
                    { return ImageDds(IntroImage(kCardWidth, kCardHeight, o.fontDir)); }});
    list.push_back({"credits.dds", [](const GenerateOptions& o)
                    { return ImageDds(CreditsImage(kCardWidth, kCardHeight, o.fontDir)); }});
    list.push_back({"iron_albedo.dds",
                    [](const GenerateOptions&) { return ImageDds(IronAlbedoImage(kIronSize)); }});
    list.push_back({"iron_metallic.dds",
                    [](const GenerateOptions&) { return ImageDds(IronMetallicImage(kIronSize)); }});
    list.push_back(
        {"music.mp3", [](const GenerateOptions&)
         {
             const std::vector<std::int16_t> pcm = SynthesizeMusic();
             std::vector<std::uint8_t> mp3;
             if (!EncodeMp3(pcm.data(), pcm.size() / 2, kMusicSampleRate, kMusicBitrateKbps, mp3))
                 throw std::runtime_error("the MP3 encoder failed");
             return mp3;
         }});
    return list;
}

} // namespace

const std::vector<Asset>& AllAssets()
{
    static const std::vector<Asset> list = MakeAssets();
    return list;
}

} // namespace assets
