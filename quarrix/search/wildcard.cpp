#include "quarrix/search/wildcard.h"
#include <algorithm>
#include <initializer_list>

namespace qx::search {

FileMask::FileMask(std::wstring_view mask, const TextTables& tables) : tables_(&tables) {
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const wchar_t c = mask[i];
        if (c == L'*') {
            const bool beforeDot = i + 1 < mask.size() && mask[i + 1] == L'.';
            tokens_.push_back({beforeDot ? Kind::StarBeforeDot : Kind::Star, 0});
        } else if (c == L'?') {
            tokens_.push_back({Kind::AnyOne, 0});
        } else if (c == L'.' && mask.find_first_not_of(L'*', i + 1) == std::wstring_view::npos) {
            tokens_.push_back({Kind::DotOrEnd, 0});
        } else {
            tokens_.push_back({Kind::Literal, tables.Fold(c)});
        }
    }
    // "*" and "*.*" (the default) take every name: no need to look at it.
    const auto is = [&](std::initializer_list<Kind> kinds) {
        return std::equal(tokens_.begin(), tokens_.end(), kinds.begin(), kinds.end(),
                          [](const Token& t, Kind k) { return t.kind == k; });
    };
    matchesAll_ = is({Kind::Star}) || is({Kind::StarBeforeDot, Kind::DotOrEnd, Kind::Star});
    now_.resize(tokens_.size() + 1);
    next_.resize(tokens_.size() + 1);
}

bool FileMask::Matches(std::wstring_view name) const {
    if (name.empty() || tokens_.empty()) return false;
    if (matchesAll_) return true;
    const std::size_t m = tokens_.size();
    const std::size_t lastDot = name.rfind(L'.');
    // Zero-width steps: a star may match nothing; at the end of the name a dot may too.
    auto close = [&](std::vector<std::uint8_t>& set, bool atEnd) {
        for (std::size_t j = 0; j < m; ++j) {
            if (!set[j]) continue;
            const Kind k = tokens_[j].kind;
            if (k == Kind::Star || k == Kind::StarBeforeDot || (atEnd && k == Kind::DotOrEnd))
                set[j + 1] = 1;
        }
    };
    std::fill(now_.begin(), now_.end(), 0);
    now_[0] = 1;
    close(now_, false);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        const wchar_t folded = tables_->Fold(c);
        std::fill(next_.begin(), next_.end(), 0);
        bool any = false;
        for (std::size_t j = 0; j < m; ++j) {
            if (!now_[j]) continue;
            const Token& t = tokens_[j];
            switch (t.kind) {
            case Kind::Literal:
                if (t.folded == folded) next_[j + 1] = any = 1;
                break;
            case Kind::AnyOne:
                next_[j + 1] = any = 1;
                break;
            case Kind::Star:
                next_[j] = any = 1;
                break;
            case Kind::StarBeforeDot:
                if (i != lastDot) next_[j] = any = 1;
                break;
            case Kind::DotOrEnd:
                if (c == L'.') next_[j + 1] = any = 1;
                break;
            }
        }
        if (!any) return false;
        close(next_, false);
        now_.swap(next_);
    }
    close(now_, true);
    return now_[m] != 0;
}

} // namespace qx::search
