#pragma once
// Memory for one parse of a workbook, with a ceiling: a file that would need more than the
// machine can spare stops the parse with Xerces' own out-of-memory exception, which the caller
// reports as "too large" instead of the process being killed or the file being taken for damaged.

#include <cstddef>
#include <xercesc/framework/MemoryManager.hpp>

namespace report {

class BudgetedMemory final : public XERCES_CPP_NAMESPACE_QUALIFIER MemoryManager {
public:
    explicit BudgetedMemory(std::size_t budget) : budget_(budget) {}
    // Whatever the parser left behind on a failed parse is given back here.
    ~BudgetedMemory() override;
    BudgetedMemory(const BudgetedMemory&) = delete;
    BudgetedMemory& operator=(const BudgetedMemory&) = delete;

    XERCES_CPP_NAMESPACE_QUALIFIER MemoryManager* getExceptionMemoryManager() override;
    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;

    // Once the document is built, rows are added below it without a ceiling.
    void lift() { budget_ = static_cast<std::size_t>(-1); }
    bool exceeded() const { return exceeded_; }
    std::size_t inUse() const { return inUse_; }

private:
    struct Block; // header in front of every allocation, linking all live blocks
    Block* live_ = nullptr;
    std::size_t budget_;
    std::size_t inUse_ = 0;
    bool exceeded_ = false;
};

} // namespace report
