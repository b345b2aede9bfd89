#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "config/Lang.h"
#include "input/JoyRules.h"

using namespace tavelapp;

namespace {

// One buffered item and the key code it must give (-1: none).
struct Step {
    std::uint32_t offset;
    std::uint32_t data;
    int code;
    bool pressed;
};

}  // namespace

TEST(JoyRules, StickAndButtonItemsBecomeKeyCodes) {
    const std::uint32_t centre = 32767;
    const std::vector<Step> steps = {
        {0, 0, -1, true},       // the first reading, already far left: last X started at 0
        {0, centre, -1, true},  //
        {0, 16384, 3, true},    // centre to the threshold: left
        {0, 0, -1, true},       // held further: once only
        {0, 65535, -1, true},   // straight across with no centre reading: nothing
        {0, 49149, -1, true},   // back into the centre zone (its top)
        {0, 49150, 1, true},    // right
        {0, 16385, -1, true},   // just inside the centre zone
        {0, 16384, 3, true},    //
        {4, 49150, -1, true},   // Y starts outside the centre too
        {4, 30000, -1, true},   //
        {4, 16384, 0, true},    // up
        {4, 30000, -1, true},   //
        {4, 65535, 2, true},    // down
        {48, 0x80, 4, true},    // button 1
        {48, 0x00, 4, false},   //
        {79, 0x80, 35, true},   // button 32
        {51, 0x7F, 7, false},   // only bit 7 says pressed
        {8, 0, -1, true},       // Z axis, sliders, hat switch, past the buttons
        {24, 0, -1, true},      //
        {32, 0, -1, true},      //
        {80, 0x80, -1, true},   //
    };
    JoyRules::ItemDecoder decoder;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        const std::optional<JoyRules::Event> event = decoder.decode(s.offset, s.data);
        if (s.code < 0) {
            EXPECT_FALSE(event) << "step " << i;
            continue;
        }
        ASSERT_TRUE(event) << "step " << i;
        EXPECT_EQ(static_cast<std::uint32_t>(s.code), event->code) << "step " << i;
        EXPECT_EQ(s.pressed, event->pressed) << "step " << i;
    }
}

TEST(JoyRules, ShiftButtonMovesPressesOntoShiftedBindings) {
    struct Case {
        bool useShift;
        std::uint32_t code;
        bool pressed;
        int lookup;  // -1: no bindings run
    };
    const std::vector<Case> cases = {
        {true, 7, true, -1},     // the shift button itself runs nothing
        {true, 4, true, 0x104},  // button 1 with button 4 held
        {true, 1, true, 0x101},  // so do directions
        {true, 4, false, -1},    // releases run nothing
        {true, 7, false, -1},    //
        {true, 4, true, 4},      // released: plain again
        {false, 7, true, 7},     // without shift it is an ordinary button
        {false, 4, true, 4},     // and holds nothing
    };
    JoyRules::ShiftLayer on(true, 7);
    JoyRules::ShiftLayer off(false, 7);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const std::optional<std::uint32_t> lookup = (c.useShift ? on : off).lookup(c.code, c.pressed);
        if (c.lookup < 0) {
            EXPECT_FALSE(lookup) << "case " << i;
        } else {
            EXPECT_EQ(std::optional<std::uint32_t>(c.lookup), lookup) << "case " << i;
        }
    }
    EXPECT_FALSE(off.held());
}

TEST(JoyRules, EveryBindingOfACodeRunsInListOrderAndCodesReadByName) {
    const Settings::KeyList bindings = {{4, L"First"}, {0x104, L"Shifted"}, {4, L"Second"}, {36, L"Never"}};
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Second"}), JoyRules::actionsFor(4, bindings));
    EXPECT_EQ(std::vector<std::wstring>{L"Shifted"}, JoyRules::actionsFor(0x104, bindings));
    EXPECT_TRUE(JoyRules::actionsFor(5, bindings).empty());

    TempFolder dir;
    dir.write("en.lng",
              "[Others]\r\nJoyUp=Up\r\nJoyRight=Right\r\nJoyDown=Down\r\nJoyLeft=Left\r\nJoyButton=Button\r\n"
              "JoyNothing=None\r\nJoyShift=Shift\r\n");
    Lang::instance().setFiles(dir.winPath("en.lng"), {});
    EXPECT_EQ(L"Up", JoyRules::displayName(0));
    EXPECT_EQ(L"Left", JoyRules::displayName(3));
    EXPECT_EQ(L"Button 1", JoyRules::displayName(4));
    EXPECT_EQ(L"Button 32", JoyRules::displayName(35));
    EXPECT_EQ(L"None", JoyRules::displayName(36));
    EXPECT_EQ(L"Shift + Right", JoyRules::displayName(0x101));
    EXPECT_EQ(L"Shift + Button 2", JoyRules::displayName(0x105));
    Lang::instance().setFiles(std::wstring(), {});
}
