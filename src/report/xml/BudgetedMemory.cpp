#include "report/xml/BudgetedMemory.h"

#include <cstddef>
#include <cstdlib>
#include <new>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace report {

using namespace xercesc;

struct BudgetedMemory::Block {
    Block* previous;
    Block* next;
    std::size_t size;
};

namespace {
// Every payload keeps the alignment malloc gives.
constexpr std::size_t kHeader = (3 * sizeof(void*) + alignof(std::max_align_t) - 1) /
                                alignof(std::max_align_t) * alignof(std::max_align_t);
} // namespace

BudgetedMemory::~BudgetedMemory() {
    while (live_) {
        Block* next = live_->next;
        std::free(live_);
        live_ = next;
    }
}

MemoryManager* BudgetedMemory::getExceptionMemoryManager() {
    // An exception may outlive the parse and this object with it.
    return XMLPlatformUtils::fgMemoryManager;
}

void* BudgetedMemory::allocate(XMLSize_t size) {
    if (size > budget_ - inUse_ || size > budget_) {
        exceeded_ = true;
        throw OutOfMemoryException();
    }
    auto* block = static_cast<Block*>(std::malloc(kHeader + size));
    if (!block) {
        exceeded_ = true;
        throw OutOfMemoryException();
    }
    block->previous = nullptr;
    block->next = live_;
    block->size = size;
    if (live_)
        live_->previous = block;
    live_ = block;
    inUse_ += size;
    return reinterpret_cast<unsigned char*>(block) + kHeader;
}

void BudgetedMemory::deallocate(void* p) {
    if (!p)
        return;
    auto* block = reinterpret_cast<Block*>(static_cast<unsigned char*>(p) - kHeader);
    if (block->previous)
        block->previous->next = block->next;
    else
        live_ = block->next;
    if (block->next)
        block->next->previous = block->previous;
    inUse_ -= block->size;
    std::free(block);
}

} // namespace report
