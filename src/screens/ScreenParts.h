#pragma once
// Pieces every screen is built from: a button of a skin family, and the one-pixel frame around a
// panel.

#include <string>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"

namespace screens {

// The picture a frame line and a veil are drawn with: the edit field's one-pixel caret.
inline const wchar_t* const linePicture = L"EditBarKaretka";

// A button whose pictures are the family's base name, + "Nuv" (hovered) and + "Klick" (pressed).
IMButtonBase<IMStateView>* createFamilyButton(IMContainer* into, int x, int y, const std::wstring& family,
                                              int layer = 0);

// A one-pixel frame just inside a width x height panel.
void addFrame(IMContainer* into, int width, int height);

} // namespace screens
