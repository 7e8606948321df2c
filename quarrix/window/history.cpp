#include "quarrix/window/history.h"
#include <cwctype>
#include <unordered_set>
#include <utility>

namespace qx::quarrix {

wchar_t TowupperFold(wchar_t c) {
    return static_cast<wchar_t>(std::towupper(c));
}

namespace {

std::wstring Folded(const std::wstring& text, const Fold& fold) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = fold(c);
    return out;
}

} // namespace

// The items seen so far are kept as a set of folded texts, not as one text with separator
// marks, and the earlier items are counted rather than ended by a marker item: an item that
// happens to read like a marker then cannot end the pass early or hide another item.
void UpdateHistory(std::vector<std::wstring>& list, const std::wstring& current, EventPump& pump,
                   const Fold& fold) {
    std::wstring top = current; // `current` may be one of the items moved below
    std::vector<std::wstring> earlier = std::move(list);
    list.clear();
    list.reserve(earlier.size() + 1);
    list.push_back(top);
    std::unordered_set<std::wstring> seen;
    for (std::wstring& item : earlier) {
        if (seen.insert(Folded(item, fold)).second && item != top) list.push_back(std::move(item));
        pump.Yield();
    }
}

} // namespace qx::quarrix
