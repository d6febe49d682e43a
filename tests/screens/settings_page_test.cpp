// The settings page on a real window: its layout, typing into the first field, Tab, and Submit
// keeping the page open until every field is valid.

#include <gtest/gtest.h>

#include "exercise/Options.h"
#include "screens/ScreenParts.h"
#include "screens/SettingsPage.h"
#include "ScreenTestSupport.h"

namespace {

class SettingsPageTest : public ScreenFixture {
protected:
    SettingsPageTest() {
        page = new SettingsPage(window, options);
        page->closed.connect([this](const IMEvent&) { return long(++closings); });
        settle();
    }
    std::wstring text(int field) { return page->fields.at(static_cast<std::size_t>(field))->getText(); }
    void submit() { click(650, 560); }

    Options options;
    SettingsPage* page = nullptr;
    int closings = 0;
};

TEST_F(SettingsPageTest, FieldsAndCaptionsStandWhereTheyShould) {
    const int fieldX[] = {280, 605, 280, 605, 280, 605, 280, 605, 280, 605, 280, 605, 280, 605, 280, 605, 280, 605, 370};
    const int fieldY[] = {92, 92, 118, 118, 196, 196, 222, 222, 300, 300, 378, 378, 404, 404, 456, 456, 482, 482, 560};
    const std::wstring shown[] = {L"4", L"100", L"100", L"400", L"4", L"100", L"100", L"200", L"4", L"100",
                                  L"4", L"100", L"100", L"250", L"4", L"100", L"100", L"250", L"5"};
    for (int i = 0; i < 19; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(page->fields[static_cast<std::size_t>(i)]->getRect(),
                  (RECT{fieldX[i], fieldY[i], fieldX[i] + 60, fieldY[i] + 20}));
        EXPECT_EQ(text(i), shown[i]);
    }
    EXPECT_EQ(page->submitButton->getRect().left, 620);
    EXPECT_EQ(page->submitButton->getRect().top, 541);

    const auto px = grab();
    // Captions: dark blue text at the start of every kind of row; none in the gap on the right.
    const RECT captions[] = {{20, 66, 120, 84}, {20, 92, 120, 110}, {370, 92, 470, 110}, {20, 534, 200, 552},
                             {20, 560, 200, 578}, {360, 20, 440, 46}};
    for (const RECT& r : captions) EXPECT_GT(countNear(px, r, screens::captionColour), 10) << r.left << "," << r.top;
    EXPECT_EQ(countNear(px, RECT{700, 170, 790, 340}, screens::captionColour), 0);
}

TEST_F(SettingsPageTest, TypingGoesToTheFirstFieldAndTabMovesOn) {
    ASSERT_TRUE(page->fields[0]->textEdit()->hasFocus());
    type(L"7");
    EXPECT_EQ(text(0), L"47");
    pressKey(VK_TAB);
    EXPECT_TRUE(page->fields[1]->textEdit()->hasFocus());
    EXPECT_FALSE(page->fields[0]->textEdit()->hasFocus());
    send(WM_CHAR, VK_TAB);
    type(L"1");
    EXPECT_EQ(text(1), L"1001") << "the tab itself types nothing";
    for (int i = 1; i < 19; ++i) pressKey(VK_TAB);
    EXPECT_TRUE(page->fields[0]->textEdit()->hasFocus()) << "from the last field back to the first";
}

TEST_F(SettingsPageTest, UntouchedSubmitPutsTheDefaultsBackAndCloses) {
    options.currentSettings.stage(2).initialRadius = 33;
    options.currentSettings.slowdownFactor = 2;
    submit();
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(options.currentSettings, options.defaultSettings);
    EXPECT_TRUE(window->children().empty()) << "the page is gone at the next update pass";
}

TEST_F(SettingsPageTest, AFailedFieldShowsItsDefaultAndThePageStays) {
    // Letters in stage 2's radius; a valid move count beside them is kept all the same.
    page->fields[0]->setText(L"9");
    page->fields[5]->setText(L"abc");
    submit();
    EXPECT_EQ(closings, 0);
    EXPECT_EQ(text(5), L"100");
    EXPECT_EQ(text(0), L"9");
    EXPECT_EQ(options.currentSettings.stage(1).moves, 9);
    submit();
    EXPECT_EQ(closings, 1) << "the corrected page submits";
}

} // namespace
