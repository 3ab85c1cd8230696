// A window's message map: a static table of {message, handler}. A handler returns false
// to ask for the default handling of the message it was given.
#pragma once

#include <windows.h>

#include <cstddef>

template <class Window>
struct MessageMapEntry {
    UINT message;
    bool (Window::*handler)(WPARAM wParam, LPARAM lParam, LRESULT& result);
};

template <class Window, std::size_t N>
bool DispatchMessageMap(Window* window, const MessageMapEntry<Window> (&map)[N], UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result)
{
    for (const MessageMapEntry<Window>& entry : map) {
        if (entry.message == message)
            return (window->*entry.handler)(wParam, lParam, result);
    }
    return false;
}
