// The drop-down histories of the folder box and the mask box: the box's text goes on top,
// repeated entries go.
#pragma once
#include "common/event_pump.h"
#include <functional>
#include <string>
#include <vector>

namespace qx::quarrix {

// Folds one UTF-16 code unit so that texts differing only in letter case compare equal.
// The window passes the platform's table; tests use TowupperFold.
using Fold = std::function<wchar_t(wchar_t)>;

// towupper in the current C locale (a UTF-8 locale folds more than ASCII).
wchar_t TowupperFold(wchar_t c);

// Rebuilds `list` (most recent first) with `current`, the box's text, on top. An earlier
// item is dropped when it equals `current` exactly, or when an item before it in the
// earlier list equals it ignoring letter case (that item counts even if it was itself
// dropped for equalling `current`). `current` itself is never dropped, even when empty.
// Any text is an ordinary item: nothing in an item is taken as a marker. Yields once per
// earlier item. The window sets the box's text to `current` again afterwards.
void UpdateHistory(std::vector<std::wstring>& list, const std::wstring& current, EventPump& pump,
                   const Fold& fold = TowupperFold);

} // namespace qx::quarrix
