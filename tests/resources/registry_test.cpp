// Names, handles and reference counts of the texture registry, numbered resources, the companion
// folder and picture files.

#include "render/RenderFixture.h"
#include "resources/EmbeddedAssets.h"
#include "resources/NumberedResources.h"
#include "resources/PictureMaker.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes rgbPng(int width, int height, std::uint8_t shade) {
    std::vector<Bytes> rows(static_cast<std::size_t>(height),
                            Bytes(static_cast<std::size_t>(width) * 3, shade));
    return pictures::makePng({width, height, PNG_COLOR_TYPE_RGB, 8}, rows);
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class RegistryTest : public RenderFixture {
protected:
    TextureHandle load(const std::wstring& name, const Bytes& bytes) {
        return manager->loadTexture(name, bytes.data(), bytes.size());
    }
};

TEST_F(RegistryTest, FreedHandlesAreReusedLastFreedFirst) {
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(manager->createTexture(L"t" + std::to_wstring(i), 2, 2, PixelFormat::ARGB),
                  static_cast<TextureHandle>(i));
    EXPECT_EQ(manager->invalidHandle(), 6u);
    manager->release(3);
    manager->release(5);
    EXPECT_EQ(manager->invalidHandle(), 6u); // the count does not shrink
    EXPECT_EQ(manager->createTexture(L"a", 2, 2, PixelFormat::ARGB), 5u);
    EXPECT_EQ(manager->createTexture(L"b", 2, 2, PixelFormat::ARGB), 3u);
    EXPECT_EQ(manager->createTexture(L"c", 2, 2, PixelFormat::ARGB), 6u);
    EXPECT_EQ(manager->invalidHandle(), 7u);
    EXPECT_EQ(manager->findTexture(L"t3"), manager->invalidHandle());
    EXPECT_EQ(manager->findTexture(L"a"), 5u);
}

TEST_F(RegistryTest, ReferencesKeepATextureUntilTheLastIsGivenBack) {
    const Bytes png = rgbPng(5, 4, 0x80);
    const TextureHandle first = load(L"EditBarBackGround", png);
    EXPECT_EQ(load(L"EditBarBackGround", Bytes{1, 2, 3}), first); // bytes ignored once known
    EXPECT_EQ(manager->getTexture(L"EditBarBackGround"), first);
    EXPECT_EQ(manager->entry(first).refCount, 3);
    EXPECT_EQ(manager->findTexture(L"EditBarBackground"), manager->invalidHandle()); // case
    EXPECT_EQ(manager->entry(first).refCount, 3); // findTexture adds nothing

    manager->release(first);
    manager->releaseByName(L"EditBarBackGround");
    EXPECT_EQ(manager->entry(first).imageRect, (RECT{0, 0, 5, 4}));
    manager->release(first);
    EXPECT_EQ(manager->findTexture(L"EditBarBackGround"), manager->invalidHandle());
    EXPECT_EQ(manager->addRef(first), manager->invalidHandle());
    manager->release(first); // a freed slot: nothing happens
    manager->release(manager->invalidHandle());
    manager->releaseByName(L"unknown");
    EXPECT_EQ(manager->handleCount(), 1u);
    EXPECT_EQ(manager->createTexture(L"again", 1, 1, PixelFormat::ARGB), first);
}

TEST_F(RegistryTest, SmallPictureFillsATextureOfItsOwnSize) {
    std::vector<Bytes> rows;
    for (std::uint8_t y = 0; y < 3; ++y) {
        Bytes row;
        for (std::uint8_t x = 0; x < 3; ++x)
            row.insert(row.end(), {x, y, 200});
        rows.push_back(row);
    }
    const TextureHandle h = load(L"three", pictures::makePng({3, 3, PNG_COLOR_TYPE_RGB, 8}, rows));
    const TextureEntry& e = manager->entry(h);
    EXPECT_EQ(e.imageRect, (RECT{0, 0, 3, 3}));
    ASSERT_EQ(e.textureWidth, 3);
    ASSERT_EQ(e.textureHeight, 3);
    ASSERT_EQ(e.texelCopy.size(), 3u * 3u * 4u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t* t = &e.texelCopy[static_cast<std::size_t>((y * 3 + x) * 4)];
            EXPECT_EQ(t[0], 200);
            EXPECT_EQ(t[1], y);
            EXPECT_EQ(t[2], x);
            EXPECT_EQ(t[3], 255);
        }
    // The texture shows the same texels.
    manager->setViewport({0, 0, 800, 600, 0.0f, 1.0f});
    const auto px = render({0, 0, 3, 3}, [&] {
        manager->drawTexture(h, {0, 0, 3, 3}, nullptr, 0xFFFFFFFF, 0.0f);
    });
    EXPECT_EQ(pixelAt(px, 3, 2, 1), 0xFF0201C8u);
}

TEST_F(RegistryTest, JpegFileImagesRegisterToo) {
    std::vector<std::uint8_t> grey(16 * 8, 90);
    const TextureHandle h = load(L"photo", pictures::makeJpeg(16, 8, 1, grey));
    ASSERT_NE(h, manager->invalidHandle());
    EXPECT_EQ(manager->entry(h).imageRect, (RECT{0, 0, 16, 8}));
    const std::uint8_t* t = manager->entry(h).texelCopy.data();
    EXPECT_NEAR(t[0], 90, 1);
    EXPECT_EQ(t[0], t[1]);
    EXPECT_EQ(t[1], t[2]);
    EXPECT_EQ(t[3], 255);
}

TEST_F(RegistryTest, UndecodableBytesRegisterNothing) {
    const Bytes png = rgbPng(8, 8, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load(L"cut", Bytes(png.begin(), png.begin() + 40)), 0u);
    EXPECT_EQ(load(L"junk", Bytes{'j', 'u', 'n', 'k'}), 0u);
    EXPECT_EQ(manager->loadTexture(L"null", nullptr, 10), 0u);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(manager->handleCount(), 0u);
    EXPECT_EQ(manager->findTexture(L"cut"), manager->invalidHandle());
}

TEST_F(RegistryTest, NumberedNameUsesTheRegisteredTextureBeforeTheResource) {
    const TextureHandle own = load(L"101", rgbPng(7, 3, 9));
    EXPECT_EQ(manager->getTexture(L"101"), own);
    EXPECT_EQ(manager->entry(own).imageRect, (RECT{0, 0, 7, 3}));
    manager->release(own);
    manager->release(own);
    if (!resources::findEmbeddedAsset(std::string_view("101")))
        GTEST_SKIP() << "numbered resource 101 is not among the embedded assets";
    const TextureHandle resource = manager->getTexture(L"101");
    ASSERT_NE(resource, manager->invalidHandle());
    EXPECT_EQ(manager->entry(resource).imageRect, (RECT{0, 0, 204, 204}));
    EXPECT_EQ(manager->entry(resource).name, L"101");
}

TEST_F(RegistryTest, NumbersMissingFromTheProgramComeFromTheCompanionFolder) {
    const std::filesystem::path folder = resources::companionFolder();
    ASSERT_EQ(folder.filename(), "Animations");
    const std::string number = std::to_string(90000 + getpid() % 9000);
    writeFile(folder / number, rgbPng(6, 5, 40));
    writeFile(folder / (number + "1.png"), rgbPng(2, 9, 40));

    const TextureHandle plain = manager->getTexture(std::wstring(number.begin(), number.end()));
    const std::string withExt = number + "1";
    const TextureHandle named = manager->getTexture(std::wstring(withExt.begin(), withExt.end()));
    std::filesystem::remove(folder / number);
    std::filesystem::remove(folder / (number + "1.png"));

    ASSERT_NE(plain, manager->invalidHandle());
    EXPECT_EQ(manager->entry(plain).imageRect, (RECT{0, 0, 6, 5}));
    ASSERT_NE(named, manager->invalidHandle());
    EXPECT_EQ(manager->entry(named).imageRect, (RECT{0, 0, 2, 9}));
    const std::uint32_t count = manager->handleCount();
    EXPECT_EQ(manager->getTexture(L"89999"), manager->invalidHandle()); // found nowhere
    EXPECT_EQ(manager->handleCount(), count);
}

TEST_F(RegistryTest, OtherNamesArePictureFilePaths) {
    const std::string relative = "registry-test-" + std::to_string(getpid()) + "/кадр.png";
    writeFile(relative, rgbPng(9, 2, 77));
    writeFile(relative + ".txt", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
    const std::wstring name = platform::utf8ToWide(relative);
    const TextureHandle h = manager->getTexture(name);
    testing::internal::CaptureStderr();
    const TextureHandle text = manager->getTexture(name + L".txt");
    const TextureHandle missing = manager->getTexture(name + L".missing");
    testing::internal::GetCapturedStderr();
    std::filesystem::remove_all(std::filesystem::path(relative).parent_path());

    ASSERT_NE(h, manager->invalidHandle());
    EXPECT_EQ(manager->findTexture(name), h);
    EXPECT_EQ(manager->entry(h).imageRect, (RECT{0, 0, 9, 2}));
    EXPECT_EQ(text, manager->invalidHandle());
    EXPECT_EQ(missing, manager->invalidHandle());
    EXPECT_EQ(manager->handleCount(), 1u);
    EXPECT_EQ(manager->getTexture(L""), manager->invalidHandle());
}

// Start-up names and numbers every skin picture but decodes none: each is decoded on its first
// read (drawn, or its entry looked at), and then looks exactly as if it had been loaded at once.
class DeferredSkinRegistry : public IMResourceManager {
public:
    bool decoded(TextureHandle handle) {
        const TextureEntry* e = mutableEntry(handle);
        return e && e->undecodedPicture.empty();
    }
    // The screen's pixels with the texture drawn over the whole of it on black.
    std::vector<std::uint32_t> drawnFullScreen(TextureHandle h) {
        clear(0xFF000000);
        beginScene();
        drawTexture(h, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, nullptr, 0xFFFFFFFF, 0.0f);
        endScene();
        std::vector<std::uint32_t> pixels;
        EXPECT_TRUE(readPixels(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, pixels));
        present();
        return pixels;
    }
    // Registers a file image the way the skin set does: named, decoded on its first read, and
    // decoded again from the same bytes whenever it has been given back.
    TextureHandle skinPicture(const std::wstring& name, const Bytes& bytes) {
        const TextureHandle h = loadTexture(name, bytes.data(), bytes.size());
        TextureEntry* e = mutableEntry(h);
        if (!e)
            return h;
        releaseDeviceTexture(*e);
        e->texelCopy.clear();
        e->undecodedPicture = e->pictureFile = bytes;
        return h;
    }
};

TEST_F(RegistryTest, SkinPicturesAreDecodedOnTheirFirstReadOnly) {
    if (resources::embeddedAssets().empty())
        GTEST_SKIP() << "no assets embedded";
    manager.reset(); // the window takes one renderer at a time
    DeferredSkinRegistry registry;
    registry.attachBackend(platform::createSdlRenderBackend(*window_));
    registry.registerSkinSet();
    ASSERT_EQ(registry.handleCount(), 57u);
    for (TextureHandle h = 0; h < 57; ++h)
        EXPECT_FALSE(registry.decoded(h)) << h;

    const TextureHandle close = registry.findTexture(L"CloseButton");
    const TextureHandle cancelHover = registry.findTexture(L"CancelButtonNuv");
    const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(std::wstring(L"CloseButton"));
    ASSERT_NE(asset, nullptr);
    const TextureHandle eager = registry.loadTexture(L"eager close", asset->bytes.data(), asset->bytes.size());

    // Drawn: the same pixels as the picture decoded at once.
    registry.clear(0xFF000000);
    registry.beginScene();
    registry.drawTexture(close, RECT{0, 0, 111, 47}, nullptr, 0xFFFFFFFF, 0.0f);
    registry.drawTexture(eager, RECT{0, 100, 111, 147}, nullptr, 0xFFFFFFFF, 0.0f);
    registry.endScene();
    std::vector<std::uint32_t> deferredPixels, eagerPixels;
    ASSERT_TRUE(registry.readPixels(RECT{0, 0, 111, 47}, deferredPixels));
    ASSERT_TRUE(registry.readPixels(RECT{0, 100, 111, 147}, eagerPixels));
    registry.present();
    EXPECT_EQ(deferredPixels, eagerPixels);
    EXPECT_NE(deferredPixels, std::vector<std::uint32_t>(deferredPixels.size(), 0xFF000000u));
    EXPECT_TRUE(registry.decoded(close));
    EXPECT_FALSE(registry.decoded(cancelHover));

    // Looked at (size, texels for hit tests): decoded by the look.
    const TextureEntry& hover = registry.entry(cancelHover);
    EXPECT_EQ(hover.imageRect, (RECT{0, 0, 111, 47}));
    EXPECT_EQ(hover.textureWidth, 111);
    EXPECT_FALSE(hover.texelCopy.empty());
    EXPECT_TRUE(registry.decoded(cancelHover));
    EXPECT_EQ(registry.entry(close).texelCopy, registry.entry(eager).texelCopy);
    EXPECT_EQ(registry.entry(close).refCount, 1);
}

TEST_F(RegistryTest, ASkinPictureReadBeforeThereIsADeviceGetsItsTextureFromItsTexels) {
    if (resources::embeddedAssets().empty())
        GTEST_SKIP() << "no assets embedded";
    manager.reset();
    DeferredSkinRegistry registry;
    registry.registerSkinSet();
    const TextureHandle close = registry.findTexture(L"CloseButton");
    EXPECT_EQ(registry.entry(close).imageRect, (RECT{0, 0, 111, 47}));
    EXPECT_FALSE(registry.entry(close).texelCopy.empty());
    EXPECT_EQ(registry.entry(close).texture, nullptr);
    registry.attachBackend(platform::createSdlRenderBackend(*window_));
    registry.restoreTexture(close);
    EXPECT_NE(registry.entry(close).texture, nullptr);
}

// The full-screen background is given back when the last screen showing it lets go (only the skin
// set holds it) and comes back with the same pixels when a screen shows it again; a button is
// small and stays decoded, and a picture a screen still holds keeps its texels.
TEST_F(RegistryTest, ALargeSkinPictureNoScreenHoldsGivesItsTexelsBack) {
    if (resources::embeddedAssets().empty())
        GTEST_SKIP() << "no assets embedded";
    manager.reset();
    DeferredSkinRegistry registry;
    registry.attachBackend(platform::createSdlRenderBackend(*window_));
    registry.registerSkinSet();
    auto drawn = [&](TextureHandle h) { return registry.drawnFullScreen(h); };

    const TextureHandle background = registry.getTexture(L"DefaultBackGround");
    const TextureHandle button = registry.getTexture(L"CloseButton");
    const std::vector<std::uint32_t> first = drawn(background);
    drawn(button);

    const TextureHandle secondHolder = registry.getTexture(L"DefaultBackGround");
    registry.release(secondHolder);
    EXPECT_TRUE(registry.decoded(background)) << "a screen still shows it";

    registry.release(background);
    registry.release(button);
    EXPECT_FALSE(registry.decoded(background));
    EXPECT_TRUE(registry.decoded(button));
    EXPECT_EQ(registry.findTexture(L"DefaultBackGround"), background);
    // A screen being built lays it out by its size, known without decoding it.
    EXPECT_EQ(registry.imageRect(background), (RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}));
    EXPECT_FALSE(registry.decoded(background));

    const TextureHandle again = registry.getTexture(L"DefaultBackGround");
    EXPECT_EQ(again, background);
    EXPECT_EQ(drawn(again), first);
    EXPECT_EQ(registry.entry(again).refCount, 2);

    registry.release(again);
    registry.releaseSkinSet();
    EXPECT_FALSE(registry.isLive(background));
}

TEST(ResourceNumber, OnlyWholeDecimalNumbersCount) {
    const std::pair<std::wstring, std::optional<long>> cases[] = {
        {L"101", 101},
        {L"0101", 101},
        {L"+7", 7},
        {L"-3", -3},
        {L"", {}},
        {L"+", {}},
        {L"101.png", {}},
        {L" 101", {}},
        {L"1O1", {}},
        {L"ExitButton", {}},
        {L"99999999999999999999999", {}},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(resources::parseResourceNumber(text), number) << platform::toUtf8(text);
}

// A large picture with no transparency keeps only its device texture while it is shown: every
// texel passes a hit test, and when the device texture goes (the device was lost) the file image
// is decoded again and draws the same pixels. A transparent or small picture keeps its copy.
TEST_F(RegistryTest, ALargeOpaquePictureKeepsNoTexelCopyAndIsDecodedAgainWhenItsTextureGoes) {
    manager.reset();
    DeferredSkinRegistry registry;
    registry.attachBackend(platform::createSdlRenderBackend(*window_));
    auto drawn = [&](TextureHandle h) { return registry.drawnFullScreen(h); };
    std::vector<Bytes> rgbaRows(600, Bytes(800 * 4, 0x90));
    rgbaRows[300][400 * 4 + 3] = 0; // one transparent texel
    const Bytes withHole = pictures::makePng({800, 600, PNG_COLOR_TYPE_RGBA, 8}, rgbaRows);
    std::vector<Bytes> gradient(600, Bytes(800 * 3));
    for (std::size_t y = 0; y < gradient.size(); ++y)
        for (std::size_t x = 0; x < 800 * 3; ++x)
            gradient[y][x] = static_cast<std::uint8_t>(x / 3 + y);
    const Bytes opaque = pictures::makePng({800, 600, PNG_COLOR_TYPE_RGB, 8}, gradient);
    const Bytes small = rgbPng(200, 200, 0x40); // 160 000 bytes of texels: below the line

    struct Case {
        const wchar_t* name;
        const Bytes& bytes;
        bool keepsCopy;
    };
    for (const Case& c : {Case{L"opaque", opaque, false}, Case{L"with a hole", withHole, true},
                          Case{L"small", small, true}}) {
        SCOPED_TRACE(testing::Message() << (c.keepsCopy ? "keeps " : "drops ") << c.bytes.size());
        const TextureHandle h = registry.skinPicture(c.name, c.bytes);
        ASSERT_FALSE(registry.decoded(h));
        const TextureEntry& e = registry.entry(h);
        EXPECT_NE(e.texture, nullptr);
        EXPECT_EQ(e.texelCopy.empty(), !c.keepsCopy);
        EXPECT_EQ(e.opaqueWithoutCopy, !c.keepsCopy);
        EXPECT_EQ(e.alphaAt(0, 0), std::optional<int>(c.keepsCopy && &c.bytes == &withHole ? 0x90 : 255));
        EXPECT_EQ(e.alphaAt(e.textureWidth, 0), std::nullopt);
    }
    EXPECT_EQ(registry.entry(registry.findTexture(L"with a hole")).alphaAt(400, 300), 0);

    const TextureHandle shown = registry.findTexture(L"opaque");
    const std::vector<std::uint32_t> first = drawn(shown);
    EXPECT_EQ(first[300 * 800 + 10], 0xFF000000u | 0x010101u * ((10 + 300) & 0xFF));
    registry.simulateDeviceLoss();
    ASSERT_TRUE(registry.restoreDevice());
    EXPECT_FALSE(registry.decoded(shown)) << "no copy to rebuild the texture from: decoded again";
    EXPECT_EQ(drawn(shown), first);
    EXPECT_TRUE(registry.entry(shown).opaqueWithoutCopy);
}

TEST(CompanionFolder, BesideTheExecutableFirstThenWhereAnInstallationPutsIt) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("companion-" + std::to_string(getpid()));
    fs::create_directories(root / "bin");
    const fs::path executable = root / "bin" / "tavrelo";
    // Neither folder: beside the executable, where a school would be told to make one.
    EXPECT_EQ(resources::companionFolderFor(executable), root / "bin" / "Animations");
    fs::create_directories(root / "share" / "tavrelo" / "Animations");
    EXPECT_EQ(resources::companionFolderFor(executable), root / "share" / "tavrelo" / "Animations");
    fs::create_directories(root / "bin" / "Animations");
    EXPECT_EQ(resources::companionFolderFor(executable), root / "bin" / "Animations");
    fs::remove_all(root);
}

TEST(EmbeddedAssets, SkinPicturesAreFoundByBaseName) {
    if (resources::embeddedAssets().empty())
        GTEST_SKIP() << "no assets embedded";
    const resources::EmbeddedAsset* exit =
        resources::findEmbeddedAsset(std::wstring(L"ExitButton"));
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->bytes.size() > 8 && exit->bytes[0] == 0x89, true);
    EXPECT_EQ(resources::findEmbeddedAsset(std::wstring(L"exitbutton")), nullptr);
    EXPECT_EQ(resources::findEmbeddedAsset(std::wstring(L"Кнопка")), nullptr);
}

} // namespace
