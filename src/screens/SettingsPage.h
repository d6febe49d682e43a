#pragma once
// The teacher's settings page: a caption and an edit field for each number of the five stages and
// the slow-down factor, and Submit, which closes the page only when every field is valid.

#include <array>

#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMEditBar.h"
#include "screens/SettingsValidation.h"

class SettingsPage : public IMDialogBase<IMEmptyView> {
public:
    // Covers the whole of `parent`; the fields show the defaults and the first one has the focus.
    SettingsPage(IMContainer* parent, screens::SettingsStore& store);

    // Checks every field, keeps what passed and resets what did not; closes the page when all
    // passed. Returns whether it closed.
    bool submit();

    // In layout order (row by row, left field first).
    std::array<IMEditBar*, screens::settingsFieldCount> fields{};
    IMButtonBase<IMStateView>* submitButton = nullptr;

private:
    long onSubmit(const IMMouseEvent&);
    long onKeyDown(const IMKeyboardEvent& e);
    void showDefault(std::size_t field);

    screens::SettingsStore& store_;
    screens::SettingsValues defaults_{};
};
