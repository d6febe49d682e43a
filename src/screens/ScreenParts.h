#pragma once
// Pieces every screen is built from: a button of a skin family, and the one-pixel frame around a
// panel.

#include <initializer_list>
#include <string>
#include <vector>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"

namespace screens {

// The picture a frame line and a veil are drawn with: the edit field's one-pixel caret.
inline const wchar_t* const linePicture = L"EditBarKaretka";

// A button whose pictures are the family's base name, + "Nuv" (hovered) and + "Klick" (pressed).
IMButtonBase<IMStateView>* createFamilyButton(IMContainer* into, int x, int y, const std::wstring& family,
                                              int layer = 0);

// The dark blue of every caption on the teacher's and the pupil's screens.
constexpr std::uint32_t captionColour = 0xFF072134;

using Text = IMStaticPictureBase<IMTextView>;

// A caption in the screens' colour, sized to its text, its style set before the text so that
// every glyph is rendered once.
Text* createText(IMContainer* into, int x, int y, const std::wstring& text, int fontSize,
                 bool bold = false, std::uint32_t colour = captionColour);

// Pictures the program carries under their own names (the instruction's key hints, the
// demonstration's mouse), registered for as long as the pictures made of them live: create the
// pictures while this is alive; its end gives back the registry's own references.
class EmbeddedPictures {
public:
    explicit EmbeddedPictures(std::initializer_list<const wchar_t*> names);
    ~EmbeddedPictures();
    EmbeddedPictures(const EmbeddedPictures&) = delete;
    EmbeddedPictures& operator=(const EmbeddedPictures&) = delete;

private:
    std::vector<std::uint32_t> handles_;
};

// A text of a screen's table: its own words, or (null) words the screen is given.
struct TextPlace {
    const wchar_t* text;
    int fontSize;
    bool bold;
    POINT at; // x == centred: centred across the parent
};
constexpr int centred = -1;

// The text at its place in the table, sized to itself.
Text* placeText(IMContainer* into, const TextPlace& where, const std::wstring& text);

// One line of a dialog saying why something did not happen, in place of the line before (null:
// none); an empty reason takes the line away. The reason is cut to `maxChars`.
Text* replaceProblemLine(IMContainer* into, Text* before, POINT at, const std::wstring& reason,
                         std::size_t maxChars);
constexpr std::uint32_t problemColour = 0xFFB00000;
constexpr int problemFontSize = 12;

// A one-pixel frame just inside a width x height panel.
void addFrame(IMContainer* into, int width, int height);

} // namespace screens
