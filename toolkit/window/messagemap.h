// Named message handlers: a window class lists {message, member handler} in a
// static table, and its window procedure hands each message to the handler
// the table names. A handler answers with a result when it handled the message,
// or with kNotHandled to let the class's default processing run.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

// A message as the window procedure received it. Handlers may change wParam
// or lParam before default processing sees them.
struct exMessage {
    UINT id;
    WPARAM wParam;
    LPARAM lParam;
};

using exHandled = std::optional<LRESULT>;
inline constexpr std::nullopt_t kNotHandled = std::nullopt;

template <class Owner>
struct exMessageEntry {
    UINT id;
    exHandled (Owner::*handler)(exMessage& message);
};

// Calls the handler of the first entry for the message; kNotHandled when the
// table has none. Later entries for the same message are never reached.
template <class Owner, std::size_t Count>
exHandled DispatchToHandler(Owner& owner, const exMessageEntry<Owner> (&table)[Count], exMessage& message) {
    for (const exMessageEntry<Owner>& entry : table)
        if (entry.id == message.id) return (owner.*entry.handler)(message);
    return kNotHandled;
}
