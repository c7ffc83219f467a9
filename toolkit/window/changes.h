// The one path by which a change of the toolkit's look reaches the parts that
// draw with it: the theme announces, menus, tips and the like listen. The
// announcer knows none of its listeners.
#pragma once

enum class ToolkitChange { kScheme, kFont };

using ChangeListener = void (*)(ToolkitChange change);

// Adding the same listener again changes nothing. Listeners are called on the
// announcing thread, in the order they were added.
void ListenForChanges(ChangeListener listener);
void AnnounceChange(ToolkitChange change);
