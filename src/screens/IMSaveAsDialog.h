#pragma once
// Saving the report under another path: the path field (starting with the report's own file), a
// Save-as button the caller connects the saving to, and Close. A save that fails says why on the
// dialog, which stays open; only a save that succeeded closes it.

#include <string>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMEditBar.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "gui/IMTextureView.h"

class IMSaveAsDialog : public IMDialogBase<IMEmptyView> {
public:
    static constexpr RECT place{220, 225, 580, 375};

    explicit IMSaveAsDialog(IMContainer* parent);
    ~IMSaveAsDialog() override;

    // The path as typed.
    std::wstring text() const;
    // One line under the field saying why the save failed (empty: none).
    void showProblem(const std::wstring& reason);

    IMStaticPictureBase<IMTextureView>* background = nullptr;
    IMButtonBase<IMStateView>* saveButton = nullptr;
    IMButtonBase<IMStateView>* closeButton = nullptr;
    IMEditBar* nameField = nullptr;
    IMStaticPictureBase<IMTextView>* problem = nullptr;

private:
    long onCloseClicked(const IMMouseEvent&);
    long takeFocusToField(const IMEvent&);
};
