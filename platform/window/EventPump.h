// The window's message queue: SDL2 events become window messages, plus messages the game posts itself.
#pragma once

#include "platform/window/WindowMessages.h"

#include <deque>
#include <vector>

union SDL_Event;

namespace platform {

// Windows virtual-key code of an SDL key code (0 when the game has no use for the key).
uint32_t VirtualKeyFromSdl(int32_t sdlKey);
// The control character a key gives as WM_CHAR (8, 9, 13, 27), or 0.
uint32_t ControlCharacterFromSdl(int32_t sdlKey);

// Turns one SDL event into the messages a window would have received for it.
std::vector<WindowMessage> TranslateEvent(const SDL_Event& event, uint32_t buttonsHeld);

class EventPump {
public:
    // Starts SDL's event handling (the video subsystem must be up: the window target starts it) and text input.
    EventPump();
    ~EventPump();
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;

    // Takes the oldest message, posted ones first, then SDL's; false when none is waiting (never blocks).
    bool PeekMessage(WindowMessage& out);
    // Sleeps until an event comes or `timeoutMs` has passed; true when a message is waiting.
    bool WaitMessage(uint32_t timeoutMs);
    void PostMessage(const WindowMessage& message) { m_qPosted.push_back(message); }
    void PostQuitMessage(int exitCode) { m_qPosted.push_back({WM_QUIT, static_cast<uint32_t>(exitCode), 0}); }

private:
    void Translate(const SDL_Event& event);

    std::deque<WindowMessage> m_qPosted;
    std::deque<WindowMessage> m_qTranslated;
    uint32_t m_uButtons = 0;
    bool m_bDriverWaits = false; // SDL's event wait sleeps with this video driver
};

} // namespace platform
