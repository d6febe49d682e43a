#pragma once
// Helpers for the text tests: a dialog on a real window to put labels in, and readers of glyph
// textures' texels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "window/IMResourceManager.h"
#include "support/WindowFixture.h"

using Label = IMStaticPictureBase<IMTextView>;

class TextFixture : public WindowFixture {
protected:
    TextFixture() {
        dialog = window->createDialog(0, 0, 800, 600, 0);
        update();
    }

    IMResourceManager& registry() { return *resourceManager(); }

    // A label built the way screens do when they set the style first.
    Label* makeLabel(const std::wstring& text, int width = 0, bool wrap = false) {
        auto* label = new Label(dialog, 0);
        label->wrap = wrap;
        if (width > 0) label->setRect(RECT{0, 0, width, 100});
        label->setText(text);
        return label;
    }

    // The alpha bytes of the image part of a texture, row by row; empty when the texture keeps
    // no copy of that many texels.
    std::vector<std::uint8_t> imageAlpha(TextureHandle h) {
        const TextureEntry& e = registry().entry(h);
        std::vector<std::uint8_t> alpha;
        const std::size_t needed =
            static_cast<std::size_t>(std::max(e.imageRect.bottom, 0)) * std::max(e.textureWidth, 0) * 4;
        if (e.imageRect.right > e.textureWidth || e.texelCopy.size() < needed) return alpha;
        for (int y = 0; y < e.imageRect.bottom; ++y)
            for (int x = 0; x < e.imageRect.right; ++x)
                alpha.push_back(e.texelCopy[static_cast<std::size_t>((y * e.textureWidth + x) * 4 + 3)]);
        return alpha;
    }

    IMContainer* dialog = nullptr;
};
