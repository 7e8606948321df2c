// Controls of the driver's own fixture window, which its tests work from outside.
#pragma once

namespace qx::e2e::fixture {

inline constexpr wchar_t kTitle[] = L"Driver fixture";
inline constexpr wchar_t kQuestionTitle[] = L"Fixture question";
inline constexpr wchar_t kQuestion[] = L"Proceed?\nSecond line";
inline constexpr int kExitCode = 7;

enum Id : int {
    kEdit = 101,
    kEditEcho, // "<changes> <text>" after every EN_CHANGE of kEdit
    kCombo,
    kComboEcho, // "<changes> <text>" after every CBN_EDITCHANGE of kCombo
    kGroup,     // a group box that is the parent of kCheck
    kCheck,
    kGo,  // the default button
    kLog, // the events so far, separated by spaces: go cancel owner yes no menu
    kDisabled,
    kHidden,
    kList,          // multiple selection: "one" "two" "three", the first and last selected
    kOwner,         // owner-drawn button
    kAsk,           // asks kQuestion with Yes/No and a question icon
    kMenuSay = 201, // menu bar item: logs "menu"
};

} // namespace qx::e2e::fixture
