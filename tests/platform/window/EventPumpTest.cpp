// SDL2 events to window messages: virtual keys, control characters, text, mouse positions and buttons.
#include "platform/window/EventPump.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace platform;

SDL_Event Key(SDL_Keycode key)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    return e;
}

TEST(EventPumpTest, KeyTable)
{
    struct Case {
        SDL_Keycode key;
        uint32_t vk;
        uint32_t ch;
    };
    const Case cases[] = {
        {SDLK_ESCAPE, 0x1B, 27}, {SDLK_RETURN, 0x0D, 13}, {SDLK_KP_ENTER, 0x0D, 13}, {SDLK_BACKSPACE, 0x08, 8},
        {SDLK_TAB, 0x09, 9},     {SDLK_PAUSE, 0x13, 0},   {SDLK_PAGEUP, 0x21, 0},    {SDLK_PAGEDOWN, 0x22, 0},
        {SDLK_END, 0x23, 0},     {SDLK_HOME, 0x24, 0},    {SDLK_LEFT, 0x25, 0},      {SDLK_UP, 0x26, 0},
        {SDLK_RIGHT, 0x27, 0},   {SDLK_DOWN, 0x28, 0},    {SDLK_KP_PLUS, 0x6B, 0},   {SDLK_KP_MINUS, 0x6D, 0},
        {SDLK_F4, 0x73, 0},      {SDLK_F6, 0x75, 0},      {SDLK_F7, 0x76, 0},        {SDLK_a, 'A', 0},
        {SDLK_5, '5', 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        auto msgs = TranslateEvent(Key(c.key), 0);
        ASSERT_GE(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].message, WM_KEYDOWN);
        EXPECT_EQ(msgs[0].wParam, c.vk);
        if (c.ch) {
            ASSERT_EQ(msgs.size(), 2u);
            EXPECT_EQ(msgs[1].message, WM_CHAR);
            EXPECT_EQ(msgs[1].wParam, c.ch);
        } else {
            EXPECT_EQ(msgs.size(), 1u);
        }
    }
}

TEST(EventPumpTest, TextBecomesCharacters)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, "a\xC3\xA9\xE2\x82\xAC!"); // a, e-acute, euro sign (dropped), !
    auto msgs = TranslateEvent(e, 0);
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_EQ(msgs[0].wParam, 'a');
    EXPECT_EQ(msgs[1].wParam, 0xE9u);
    EXPECT_EQ(msgs[2].wParam, '!');
}

TEST(EventPumpTest, MousePackingAndButtons)
{
    SDL_Event down{};
    down.type = SDL_MOUSEBUTTONDOWN;
    down.button.button = SDL_BUTTON_RIGHT;
    down.button.x = 799;
    down.button.y = 599;
    auto msgs = TranslateEvent(down, MK_LBUTTON);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_RBUTTONDOWN);
    EXPECT_EQ(msgs[0].wParam, MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(PointParamX(msgs[0].lParam), 799);
    EXPECT_EQ(PointParamY(msgs[0].lParam), 599);

    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = -3;
    move.motion.y = 20;
    msgs = TranslateEvent(move, MK_LBUTTON);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(PointParamX(msgs[0].lParam), -3);
    EXPECT_EQ(PointParamY(msgs[0].lParam), 20);

    SDL_Event up{};
    up.type = SDL_MOUSEBUTTONUP;
    up.button.button = SDL_BUTTON_LEFT;
    msgs = TranslateEvent(up, MK_LBUTTON | MK_RBUTTON);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_LBUTTONUP);
    EXPECT_EQ(msgs[0].wParam, MK_RBUTTON);
}

TEST(EventPumpTest, CloseAndFocus)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(TranslateEvent(quit, 0).at(0).message, WM_CLOSE);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    auto msgs = TranslateEvent(focus, 0);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_ACTIVATE);
    EXPECT_EQ(msgs[0].wParam, 0u);
}

// The loop's rest ends as soon as input waits: a message the game posted, or an SDL event; with none it ends
// at the time-out. A wait that slept before looking would take the whole minute asked for here.
TEST(EventPumpTest, WaitEndsWhenInputWaits)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        EventPump pump;
        const Uint64 start = SDL_GetTicks64();
        pump.PostMessage({WM_CLOSE, 0, 0});
        EXPECT_TRUE(pump.WaitMessage(60000));
        WindowMessage msg;
        ASSERT_TRUE(pump.PeekMessage(msg));
        EXPECT_EQ(msg.message, WM_CLOSE);

        SDL_Event key = Key(SDLK_ESCAPE);
        SDL_PushEvent(&key);
        EXPECT_TRUE(pump.WaitMessage(60000));
        ASSERT_TRUE(pump.PeekMessage(msg));
        EXPECT_EQ(msg.message, WM_KEYDOWN);
        ASSERT_TRUE(pump.PeekMessage(msg));
        EXPECT_EQ(msg.message, WM_CHAR);
        EXPECT_LT(SDL_GetTicks64() - start, 30000u);

        EXPECT_FALSE(pump.PeekMessage(msg));
        EXPECT_FALSE(pump.WaitMessage(1));
        EXPECT_FALSE(pump.WaitMessage(0));
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace
