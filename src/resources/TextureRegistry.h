#pragma once
// Names over the texture table: a texture is registered under a name with one reference, found
// again by that name, and freed when its last reference is given back. Names that are decimal
// numbers denote numbered resources; any other unknown name is the path of a picture file.

#include "render/GraphicsDevice.h"

#include <cstddef>
#include <map>
#include <span>
#include <string>

class TextureRegistry : public GraphicsDevice {
public:
    TextureRegistry() = default;
    ~TextureRegistry() override;

    // The registered texture with a reference added; otherwise the numbered resource or picture
    // file the name denotes, registered with one reference. Invalid handle when nothing loads.
    TextureHandle getTexture(const std::wstring& name);
    // The registered texture with a reference added (bytes ignored); otherwise the PNG or JPEG
    // file image at data, registered with one reference.
    TextureHandle loadTexture(const std::wstring& name, const void* data, std::size_t size);
    // The registered texture with a reference added; otherwise a zeroed texture of that image size.
    // A texture its owner fills with every frame keeps no texel copy (a clip's frames: two
    // 1024 x 1024 copies would be 8 MB of memory nobody reads).
    enum class Texels { Kept, OwnerFilled };
    TextureHandle createTexture(const std::wstring& name, int width, int height,
                                PixelFormat format, Texels texels = Texels::Kept);
    // No reference added; invalid handle when the name is unknown.
    TextureHandle findTexture(const std::wstring& name) const;
    // Invalid handle (and no change) for a freed slot.
    TextureHandle addRef(TextureHandle handle);
    void release(TextureHandle handle);
    void releaseByName(const std::wstring& name);

    // Registers the skin pictures from the embedded assets, one reference each. Each is decoded
    // on its first read; a large one gives its texels back when the last screen showing it lets
    // go (only the skin set's reference left) and is decoded again when it is next read.
    void registerSkinSet();
    void releaseSkinSet();

protected:
    void decodeDeferred(TextureEntry& entry) override;

private:
    // Decodes a PNG/JPEG file image and registers it with one reference.
    TextureHandle registerPicture(const std::wstring& name, std::span<const std::uint8_t> bytes);
    // Decodes into the entry's texel copy and device texture; false (and neither) on failure.
    bool decodePicture(TextureEntry& entry, std::span<const std::uint8_t> bytes);
    TextureHandle registerEntry(std::unique_ptr<TextureEntry> entry);
    TextureHandle takeReference(TextureHandle handle);
    // Frees a decoded skin picture's device texture and texel copy; its next read decodes it again.
    void giveBackTexels(TextureEntry& entry);
    // A large skin picture without transparency keeps only its device texture once it has one.
    void dropCopyOfOpaquePicture(TextureEntry& entry);

    std::map<std::wstring, TextureHandle> names_;
};

// The live texture registry (the process-wide resource manager's), or null when there is none.
// Controls reach textures through it without knowing the rest of the resource manager.
TextureRegistry* textureRegistry();
void setTextureRegistry(TextureRegistry* registry);
