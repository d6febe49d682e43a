#include "gui/IMList.h"

#include <boost/bind/bind.hpp>

namespace {

const wchar_t kBackground[] = L"EditBarBackGround";
const wchar_t kFrame[] = L"EditBarKaretka";
const wchar_t kSelection[] = L"SelectionMask";
constexpr std::uint32_t kItemTextColor = 0xFF000000;

} // namespace

IMList::IMList(IMContainer* parent) : IMViewControl<IMEmptyView>(parent, 0) {
    frameDialog_ = new IMContainer(parent, std::nullopt, 0);
    backgroundPicture_ = frameDialog_->createPicture(0, 0, kBackground, 0, 0xFFFFFFFF);
    itemsDialog_ = frameDialog_->createDialog(0, 0, 0, 0, 0);
    for (auto*& line : frameLines_) line = frameDialog_->createPicture(0, 0, kFrame, 0, 0xFFFFFFFF);
    // Created before any item, so it is painted under them.
    selectionMark_ = itemsDialog_->createPicture(0, 0, kSelection, 0, 0xFFFFFFFF);
    selectionMark_->hide();
}

long IMList::detach() {
    // What the user sees of the list belongs to its frame dialog; it goes with the list.
    if (frameDialog_) {
        IMContainer* frame = frameDialog_;
        frameDialog_ = nullptr;
        frame->close();
    }
    return IMViewControl<IMEmptyView>::detach();
}

void IMList::setRect(const RECT& r) {
    IMViewControl<IMEmptyView>::setRect(r);
    if (!frameDialog_) return;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    frameDialog_->setRect(r);
    itemsDialog_->setRect(RECT{1, 1, w - 1, h - 1});
    backgroundPicture_->setRect(RECT{1, 1, w - 1, h - 1});
    frameLines_[2]->setRect(RECT{0, 0, 1, h});
    frameLines_[0]->setRect(RECT{0, 0, w, 1});
    frameLines_[1]->setRect(RECT{0, h - 1, w, h});
    frameLines_[3]->setRect(RECT{w - 1, 0, w, h});
    if (selected_) select(selected_);
}

IMList::Item* IMList::addItem(const std::wstring& text) {
    int y = 0;
    for (const Item* item : items_) y += item->getHeight();
    Item* item = itemsDialog_->createLabel(0, y, text, 0);
    item->setTextColor(kItemTextColor);
    using boost::placeholders::_1;
    item->clicked.connect(boost::bind(&IMList::onItemClicked, this, _1));
    items_.push_back(item);
    return item;
}

long IMList::onItemClicked(const IMMouseEvent& e) {
    for (Item* item : items_)
        if (item == e.source) select(item);
    return 0;
}

void IMList::select(Item* item) {
    selected_ = item;
    if (!item) {
        selectionMark_->hide();
        return;
    }
    const RECT r = item->getRect();
    selectionMark_->show();
    selectionMark_->setRect(RECT{0, r.top, itemsDialog_->getWidth(), r.bottom + 1});
}
