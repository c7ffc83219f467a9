#include "changes.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<ChangeListener>& Listeners() {
    static std::vector<ChangeListener> listeners;
    return listeners;
}

} // namespace

void ListenForChanges(ChangeListener listener) {
    std::vector<ChangeListener>& listeners = Listeners();
    if (listener != nullptr && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

void AnnounceChange(ToolkitChange change) {
    // A copy: a listener may add another while it runs.
    const std::vector<ChangeListener> listeners = Listeners();
    for (ChangeListener listener : listeners) listener(change);
}
