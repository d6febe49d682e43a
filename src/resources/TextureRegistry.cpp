#include "resources/TextureRegistry.h"

#include "platform/Platform.h"
#include "resources/EmbeddedAssets.h"
#include "resources/ImageDecoder.h"
#include "resources/NumberedResources.h"
#include "resources/ResourceProblems.h"
#include "resources/SkinSet.h"

#include <cstdio>
#include <new>

namespace {
TextureRegistry* g_registry = nullptr;

// A skin picture that no screen holds any more is held by the skin set's own reference alone.
constexpr int kSkinSetReferenceOnly = 1;
// Skin pictures at least this large (in texels, with the device texture as much again) are given
// back when no screen shows them and decoded again on their next use: the full-screen background
// holds 3.7 MiB while the exercise and its clips play, and decoding it again takes about 15 ms
// when a screen with it opens. The small ones (buttons, frames; 16 KiB at most) stay decoded, as
// giving them back would only churn as buttons come and go.
constexpr std::size_t kGivenBackPictureBytes = 256 * 1024;

bool isLargeSkinPicture(const TextureEntry& e) {
    return !e.pictureFile.empty() && e.undecodedPicture.empty() &&
           static_cast<std::size_t>(e.textureWidth) * e.textureHeight * 4 >=
               kGivenBackPictureBytes;
}

bool everyTexelOpaque(const std::vector<std::uint8_t>& texels) {
    for (std::size_t alpha = 3; alpha < texels.size(); alpha += 4)
        if (texels[alpha] != 0xFF)
            return false;
    return true;
}
} // namespace

TextureRegistry* textureRegistry() { return g_registry; }
void setTextureRegistry(TextureRegistry* registry) { g_registry = registry; }

TextureRegistry::~TextureRegistry() {
    if (g_registry == this) g_registry = nullptr;
    names_.clear();
}

TextureHandle TextureRegistry::findTexture(const std::wstring& name) const {
    const auto found = names_.find(name);
    return found == names_.end() ? invalidHandle() : found->second;
}

TextureHandle TextureRegistry::takeReference(TextureHandle handle) {
    if (TextureEntry* e = mutableEntry(handle))
        ++e->refCount;
    return handle;
}

TextureHandle TextureRegistry::addRef(TextureHandle handle) {
    if (!isLive(handle))
        return invalidHandle();
    return takeReference(handle);
}

void TextureRegistry::release(TextureHandle handle) {
    TextureEntry* e = mutableEntry(handle);
    if (!e)
        return;
    --e->refCount;
    if (e->refCount == kSkinSetReferenceOnly && isLargeSkinPicture(*e)) {
        giveBackTexels(*e);
        return;
    }
    if (e->refCount > 0)
        return;
    names_.erase(e->name);
    freeHandle(handle);
}

void TextureRegistry::giveBackTexels(TextureEntry& e) {
    releaseDeviceTexture(e);
    std::vector<std::uint8_t>().swap(e.texelCopy);
    e.undecodedPicture = e.pictureFile;
}

void TextureRegistry::dropCopyOfOpaquePicture(TextureEntry& e) {
    // The copy would serve only hit tests, which an opaque picture passes everywhere, and a lost
    // texture, which the file image rebuilds. Kept while there is no device texture: it is what
    // the texture will be made from.
    if (!e.texture || !isLargeSkinPicture(e) || !everyTexelOpaque(e.texelCopy))
        return;
    std::vector<std::uint8_t>().swap(e.texelCopy);
    e.opaqueWithoutCopy = true;
}

void TextureRegistry::releaseByName(const std::wstring& name) {
    release(findTexture(name));
}

TextureHandle TextureRegistry::getTexture(const std::wstring& name) {
    const TextureHandle known = findTexture(name);
    if (known != invalidHandle())
        return takeReference(known);
    // A picture that failed once is not read and decoded again on every request.
    if (name.empty() || resources::resourceFailedBefore(resources::ResourceKind::Picture, name))
        return invalidHandle();
    if (const std::optional<long> number = resources::parseResourceNumber(name)) {
        const std::optional<resources::ResourceBytes> resource =
            resources::loadNumberedResource(*number);
        if (!resource) {
            resources::reportResourceProblem(resources::ResourceKind::Picture, name,
                                             "no such numbered resource");
            return invalidHandle();
        }
        return registerPicture(name, resource->bytes());
    }
    std::string problem;
    const std::optional<std::vector<std::uint8_t>> file =
        resources::readWholeFile(std::filesystem::path(platform::toUtf8(name)), &problem);
    if (!file) {
        resources::reportResourceProblem(resources::ResourceKind::Picture, name, problem);
        return invalidHandle();
    }
    return registerPicture(name, *file);
}

TextureHandle TextureRegistry::loadTexture(const std::wstring& name, const void* data,
                                           std::size_t size) {
    const TextureHandle known = findTexture(name);
    if (known != invalidHandle())
        return takeReference(known);
    if (!data)
        return invalidHandle();
    return registerPicture(name, {static_cast<const std::uint8_t*>(data), size});
}

TextureHandle TextureRegistry::createTexture(const std::wstring& name, int width, int height,
                                             PixelFormat format, Texels texels) {
    const TextureHandle known = findTexture(name);
    if (known != invalidHandle())
        return takeReference(known);
    if (width <= 0 || height <= 0 || width > resources::maxPictureExtent ||
        height > resources::maxPictureExtent)
        return invalidHandle();
    auto e = std::make_unique<TextureEntry>();
    e->name = name;
    e->format = format;
    e->imageRect = RECT{0, 0, width, height};
    e->textureWidth = width;
    e->textureHeight = height;
    e->texture = createDeviceTexture(e->textureWidth, e->textureHeight, format, name);
    if (!e->texture && !isDeviceLost())
        return invalidHandle();
    if (texels == Texels::OwnerFilled) {
        e->ownerFilled = true;
        if (e->texture)
            blankDeviceTexture(*e);
        return registerEntry(std::move(e));
    }
    try {
        e->texelCopy.assign(static_cast<std::size_t>(e->textureWidth) * e->textureHeight * 4, 0);
    } catch (const std::bad_alloc&) {
        releaseDeviceTexture(*e);
        return invalidHandle();
    }
    if (e->texture)
        uploadTexels(*e, e->textureHeight);
    return registerEntry(std::move(e));
}

TextureHandle TextureRegistry::registerPicture(const std::wstring& name,
                                               std::span<const std::uint8_t> bytes) {
    auto e = std::make_unique<TextureEntry>();
    e->name = name;
    e->format = PixelFormat::ARGB;
    if (!decodePicture(*e, bytes))
        return invalidHandle();
    return registerEntry(std::move(e));
}

void TextureRegistry::decodeDeferred(TextureEntry& entry) {
    const std::span<const std::uint8_t> bytes = entry.undecodedPicture;
    entry.undecodedPicture = {};
    // A picture that cannot be decoded stays registered without texels: it draws nothing (the
    // decoding names the problem).
    decodePicture(entry, bytes);
}

bool TextureRegistry::decodePicture(TextureEntry& entry, std::span<const std::uint8_t> bytes) {
    TextureEntry* e = &entry;
    const std::wstring& name = entry.name;
    // The decoder writes its rows straight into the texel copy; the device texture is filled
    // from it afterwards.
    const resources::TexelAllocator allocate =
        [&](int width, int height) -> std::optional<resources::TexelTarget> {
        if (width <= 0 || height <= 0)
            return std::nullopt;
        e->textureWidth = width;
        e->textureHeight = height;
        e->texture = createDeviceTexture(e->textureWidth, e->textureHeight, e->format, name);
        if (!e->texture && !isDeviceLost())
            return std::nullopt;
        try {
            e->texelCopy.assign(static_cast<std::size_t>(e->textureWidth) * e->textureHeight * 4,
                                0);
        } catch (const std::bad_alloc&) {
            releaseDeviceTexture(*e);
            return std::nullopt;
        }
        return resources::TexelTarget{e->texelCopy.data(), e->textureWidth * 4};
    };
    resources::DecodedPicture picture;
    if (!resources::decodePicture(bytes, allocate, picture)) {
        releaseDeviceTexture(*e);
        e->texelCopy.clear();
        e->undecodedPicture = {};
        resources::reportResourceProblem(resources::ResourceKind::Picture, name,
                                         picture.failure.empty()
                                             ? std::string_view("not a PNG or JPEG picture")
                                             : std::string_view(picture.failure));
        return false;
    }
    e->imageRect = RECT{0, 0, picture.width, picture.height};
    if (e->texture && !uploadTexels(*e, picture.height))
        releaseDeviceTexture(*e);
    dropCopyOfOpaquePicture(*e);
    return true;
}

TextureHandle TextureRegistry::registerEntry(std::unique_ptr<TextureEntry> e) {
    e->refCount = 1;
    const std::wstring name = e->name;
    const TextureHandle handle = allocateHandle(std::move(e));
    names_[name] = handle;
    return handle;
}

void TextureRegistry::registerSkinSet() {
    // Every skin picture gets its name and handle now, in order; its pixels are decoded when it
    // is first read, so start-up decodes only what the first screen shows.
    for (const wchar_t* name : resources::skinPictureNames) {
        const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(std::wstring(name));
        if (!asset) {
            platform::debugOutput(L"missing embedded picture " + std::wstring(name) + L"\n");
            continue;
        }
        const TextureHandle known = findTexture(name);
        if (known != invalidHandle()) {
            takeReference(known);
            continue;
        }
        auto e = std::make_unique<TextureEntry>();
        e->name = name;
        e->format = PixelFormat::ARGB;
        e->undecodedPicture = asset->bytes;
        e->pictureFile = asset->bytes;
        registerEntry(std::move(e));
    }
}

void TextureRegistry::releaseSkinSet() {
    for (const wchar_t* name : resources::skinPictureNames)
        releaseByName(name);
}
