#pragma once
// The vocabulary of the texture table shared by the device layer, the name registry and the
// toolkit: handles, pixel formats, one registered texture, the clipping viewport.

#include "events/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace render {
class DeviceTexture; // defined by the rendering back end; opaque everywhere else
}

// Index into the texture table. The invalid handle is the current handle count.
using TextureHandle = std::uint32_t;
// What a holder keeps when no texture could be had. Unlike the invalid handle (the current handle
// count), it never becomes the number of a texture registered later.
inline constexpr TextureHandle kNoTexture = 0xFFFFFFFFu;

// Both formats keep 4 bytes per texel in the order B, G, R, A. XRGB ignores the fourth byte
// (video frames); ARGB blends with it (pictures, text).
enum class PixelFormat { ARGB, XRGB };

struct TextureEntry {
    // Null after the device was lost or the texture was evicted, until the next use rebuilds it.
    render::DeviceTexture* texture = nullptr;
    PixelFormat format = PixelFormat::ARGB;
    RECT imageRect{}; // {0, 0, image width, image height}
    // The device texture's size. It is the image's own: SDL's renderers take textures of any
    // size, so rounding each side up to a power of two (as Direct3D 9 hardware wanted) would only
    // waste memory, 8 MiB for an 800 x 600 picture with its texel copy.
    int textureWidth = 0;
    int textureHeight = 0;
    std::wstring name;
    int refCount = 0;
    // textureHeight rows of textureWidth * 4 bytes: what rebuilds the texture after loss and what
    // alpha hit tests read.
    std::vector<std::uint8_t> texelCopy;
    // The owner writes every texel itself, often (a clip's frame): no copy is kept, and after a
    // device loss the texture comes back blank until the owner writes it again.
    bool ownerFilled = false;
    // The picture file image of an entry registered ahead of its first use (bytes that live as
    // long as the program); empty once decoded. Whatever reads the entry decodes it first.
    std::span<const std::uint8_t> undecodedPicture;
    // The file image a skin picture was registered from (bytes that live as long as the program):
    // what a large one is decoded from again after it was given back while no screen showed it.
    std::span<const std::uint8_t> pictureFile;
    // Every texel's alpha is 255 and no texel copy is kept: a hit test needs none (every texel
    // hits), and the picture is decoded again from pictureFile if its device texture goes.
    bool opaqueWithoutCopy = false;

    // The alpha a hit test reads at texel (u, v) of the image; nothing outside what is known.
    std::optional<int> alphaAt(int u, int v) const {
        if (u < 0 || v < 0 || u >= textureWidth || v >= textureHeight)
            return std::nullopt;
        if (opaqueWithoutCopy)
            return 255;
        const std::size_t offset =
            (static_cast<std::size_t>(v) * static_cast<std::size_t>(textureWidth) +
             static_cast<std::size_t>(u)) * 4 + 3;
        if (offset >= texelCopy.size())
            return std::nullopt;
        return texelCopy[offset];
    }
};

// The clip rectangle of every draw, in 800 x 600 screen coordinates. MinZ/MaxZ are carried for
// callers that set them; they do not affect drawing.
struct Viewport {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    float MinZ = 0.0f;
    float MaxZ = 1.0f;
    friend bool operator==(const Viewport&, const Viewport&) = default;
};
