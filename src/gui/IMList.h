#pragma once
// A framed column of text items of which the user selects one by clicking. The list control
// itself draws nothing: its frame and items live in a dialog beside it in the same parent.

#include <array>
#include <string>
#include <vector>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "gui/IMTextureView.h"

class IMList : public IMViewControl<IMEmptyView> {
public:
    using Item = IMStaticPictureBase<IMTextView>;

    explicit IMList(IMContainer* parent);

    void setRect(const RECT& r) override;
    long detach() override;

    Item* addItem(const std::wstring& text);
    // Null clears the selection.
    void select(Item* item);
    Item* selectedItem() const { return selected_; }

    const std::vector<Item*>& items() const { return items_; }
    IMContainer* frameDialog() const { return frameDialog_; }
    IMContainer* itemsDialog() const { return itemsDialog_; }
    IMStaticPictureBase<IMTextureView>* selectionMark() const { return selectionMark_; }

private:
    long onItemClicked(const IMMouseEvent& e);

    IMContainer* frameDialog_ = nullptr;
    IMContainer* itemsDialog_ = nullptr;
    IMStaticPictureBase<IMTextureView>* backgroundPicture_ = nullptr;
    // top, bottom, left, right
    std::array<IMStaticPictureBase<IMTextureView>*, 4> frameLines_{};
    IMStaticPictureBase<IMTextureView>* selectionMark_ = nullptr;
    std::vector<Item*> items_;
    Item* selected_ = nullptr;
};
