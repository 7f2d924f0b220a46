// SDL2 events to window messages: keys as virtual-key codes, text and control keys as characters, mouse
// positions packed in lParam, window close, move and focus.
#include "platform/window/EventPump.h"

#include "platform/system/Clock.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <string>
#include <thread>

namespace platform {

uint32_t VirtualKeyFromSdl(int32_t key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<uint32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<uint32_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 0x70u + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_BACKSPACE:
        return 0x08;
    case SDLK_TAB:
        return 0x09;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 0x0D;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return 0x10;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return 0x11;
    case SDLK_PAUSE:
        return 0x13;
    case SDLK_ESCAPE:
        return 0x1B;
    case SDLK_SPACE:
        return 0x20;
    case SDLK_PAGEUP:
        return 0x21;
    case SDLK_PAGEDOWN:
        return 0x22;
    case SDLK_END:
        return 0x23;
    case SDLK_HOME:
        return 0x24;
    case SDLK_LEFT:
        return 0x25;
    case SDLK_UP:
        return 0x26;
    case SDLK_RIGHT:
        return 0x27;
    case SDLK_DOWN:
        return 0x28;
    case SDLK_INSERT:
        return 0x2D;
    case SDLK_DELETE:
        return 0x2E;
    case SDLK_KP_PLUS:
        return 0x6B;
    case SDLK_KP_MINUS:
        return 0x6D;
    default:
        return 0;
    }
}

uint32_t ControlCharacterFromSdl(int32_t key)
{
    switch (key) {
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

namespace {

// UTF-8 text to Windows-1252-like bytes: code points below 256 pass, others are dropped.
void AppendCharacters(const char* text, std::vector<WindowMessage>& out)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        uint32_t cp;
        int extra;
        if (*s < 0x80) {
            cp = *s;
            extra = 0;
        } else if ((*s & 0xE0) == 0xC0) {
            cp = *s & 0x1F;
            extra = 1;
        } else if ((*s & 0xF0) == 0xE0) {
            cp = *s & 0x0F;
            extra = 2;
        } else if ((*s & 0xF8) == 0xF0) {
            cp = *s & 0x07;
            extra = 3;
        } else {
            ++s;
            continue;
        }
        ++s;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++s) {
            if ((*s & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (*s & 0x3F);
        }
        if (ok && cp >= 32 && cp < 256)
            out.push_back({WM_CHAR, cp, 1});
    }
}

uint32_t ButtonFlag(uint8_t button)
{
    return button == SDL_BUTTON_LEFT ? MK_LBUTTON : button == SDL_BUTTON_RIGHT ? MK_RBUTTON : 0;
}

} // namespace

std::vector<WindowMessage> TranslateEvent(const SDL_Event& event, uint32_t buttonsHeld)
{
    std::vector<WindowMessage> out;
    switch (event.type) {
    case SDL_QUIT:
        out.push_back({WM_CLOSE, 0, 0});
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            out.push_back({WM_CLOSE, 0, 0});
            break;
        case SDL_WINDOWEVENT_MOVED:
            out.push_back({WM_MOVE, 0, MakePointParam(event.window.data1, event.window.data2)});
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out.push_back({WM_ACTIVATE, 1, 0});
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            out.push_back({WM_ACTIVATE, 0, 0});
            break;
        default:
            break;
        }
        break;
    case SDL_KEYDOWN: {
        const int32_t key = event.key.keysym.sym;
        const uint32_t vk = VirtualKeyFromSdl(key);
        if (vk)
            out.push_back({WM_KEYDOWN, vk, 1});
        // Text input gives no events for control keys; a window would have had them as characters.
        if (const uint32_t ch = ControlCharacterFromSdl(key))
            out.push_back({WM_CHAR, ch, 1});
        break;
    }
    case SDL_TEXTINPUT:
        AppendCharacters(event.text.text, out);
        break;
    case SDL_MOUSEMOTION:
        out.push_back({WM_MOUSEMOVE, buttonsHeld, MakePointParam(event.motion.x, event.motion.y)});
        break;
    case SDL_MOUSEBUTTONDOWN: {
        const uint32_t flag = ButtonFlag(event.button.button);
        if (flag)
            out.push_back({flag == MK_LBUTTON ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, buttonsHeld | flag,
                           MakePointParam(event.button.x, event.button.y)});
        break;
    }
    case SDL_MOUSEBUTTONUP: {
        const uint32_t flag = ButtonFlag(event.button.button);
        if (flag)
            out.push_back({flag == MK_LBUTTON ? WM_LBUTTONUP : WM_RBUTTONUP, buttonsHeld & ~flag,
                           MakePointParam(event.button.x, event.button.y)});
        break;
    }
    default:
        break;
    }
    return out;
}

EventPump::EventPump()
{
    SDL_StartTextInput();
    // The window systems whose SDL driver sleeps in an event wait; the others (dummy, offscreen, the console's)
    // are polled.
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver ? driver : "";
    m_bDriverWaits = name == "x11" || name == "wayland" || name == "windows" || name == "cocoa";
}

EventPump::~EventPump()
{
    SDL_StopTextInput();
}

void EventPump::Translate(const SDL_Event& event)
{
    for (const WindowMessage& m : TranslateEvent(event, m_uButtons)) {
        if (m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_LBUTTONUP ||
            m.message == WM_RBUTTONUP)
            m_uButtons = m.wParam;
        m_qTranslated.push_back(m);
    }
}

bool EventPump::PeekMessage(WindowMessage& out)
{
    if (!m_qPosted.empty()) {
        out = m_qPosted.front();
        m_qPosted.pop_front();
        return true;
    }
    SDL_Event event;
    while (m_qTranslated.empty() && SDL_PollEvent(&event))
        Translate(event);
    if (m_qTranslated.empty())
        return false;
    out = m_qTranslated.front();
    m_qTranslated.pop_front();
    return true;
}

bool EventPump::WaitMessage(uint32_t timeoutMs)
{
    if (!m_qPosted.empty() || !m_qTranslated.empty())
        return true;
    if (timeoutMs == 0)
        return false;
    // The tick count moves on by `timeoutMs` at the start of that millisecond, not a whole one after now.
    const double until = std::floor(GetMilliseconds()) + timeoutMs;
    SDL_Event event;
    if (m_bDriverWaits) {
        // Whole milliseconds in the event wait. An event that makes no message (an exposure, say) ends the wait
        // early; the caller waits again.
        const double whole = std::floor(until - GetMilliseconds());
        if (whole >= 1 && SDL_WaitEventTimeout(&event, static_cast<int>(std::min<double>(whole, INT_MAX)))) {
            Translate(event);
            return !m_qTranslated.empty();
        }
    } else if (SDL_PollEvent(&event)) {
        Translate(event);
        return !m_qTranslated.empty();
    }
    // SDL would wake every millisecond to poll a driver that cannot wait. Input that comes meanwhile waits at
    // most until the tick that is due, and is taken before it.
    const double left = until - GetMilliseconds();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
    return false;
}

} // namespace platform
