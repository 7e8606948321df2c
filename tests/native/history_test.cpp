#include "quarrix/window/history.h"
#include <gtest/gtest.h>
#include <clocale>
#include <random>

using namespace qx::quarrix;
using List = std::vector<std::wstring>;

namespace {

struct CountingPump final : qx::EventPump {
    int yields = 0;
    void Yield() override { ++yields; }
    void Sleep(unsigned) override {}
};

struct Case {
    const char* what;
    List before;
    std::wstring current;
    List after;
};

void Check(const Case& c, const Fold& fold = TowupperFold) {
    List list = c.before;
    CountingPump pump;
    UpdateHistory(list, c.current, pump, fold);
    EXPECT_EQ(list, c.after) << c.what;
    EXPECT_EQ(pump.yields, static_cast<int>(c.before.size())) << c.what;
}

} // namespace

TEST(UpdateHistory, MovesCurrentTextOnTopAndDropsRepeats) {
    const Case cases[] = {
        {"current already listed", {L"A", L"B", L"C"}, L"B", {L"B", L"A", L"C"}},
        {"repeat further down", {L"A", L"B", L"A"}, L"C", {L"C", L"A", L"B"}},
        {"capitals kept below small letters",
         {L"C:\\WORK"},
         L"c:\\work",
         {L"c:\\work", L"C:\\WORK"}},
        {"dropped item still hides its case variant",
         {L"c:\\work", L"C:\\WORK"},
         L"c:\\work",
         {L"c:\\work"}},
        {"all-files mask", {L"*.*"}, L"*.*", {L"*.*"}},
        {"empty current text stays on top", {L"A", L"", L"B"}, L"", {L"", L"A", L"B"}},
        {"empty item kept under another text", {L"", L"A"}, L"x", {L"x", L"", L"A"}},
        {"empty list", {}, L"D:\\x", {L"D:\\x"}},
        {"case variants of each other", {L"a", L"A", L"b"}, L"c", {L"c", L"a", L"b"}},
    };
    for (const auto& c : cases)
        Check(c);
}

// Texts that read like the rebuild's marks are ordinary items: none ends the pass early,
// hides another item, or stays behind as a mark.
TEST(UpdateHistory, MarkerLikeTextsAreOrdinaryItems) {
    const Case cases[] = {
        {"end mark as current text", {L"A", L"B"}, L"<end>", {L"<end>", L"A", L"B"}},
        {"end mark inside the list", {L"A", L"<end>", L"B"}, L"C", {L"C", L"A", L"<end>", L"B"}},
        {"end mark listed and current", {L"<end>", L"A"}, L"<end>", {L"<end>", L"A"}},
        {"separator joins two items", {L"a<e>b", L"b", L"a"}, L"x", {L"x", L"a<e>b", L"b", L"a"}},
        {"separator at an item's end", {L"x<e>", L"x"}, L"y", {L"y", L"x<e>", L"x"}},
        {"separator alone, then empty", {L"<e>", L""}, L"y", {L"y", L"<e>", L""}},
        {"separator in capitals", {L"a<E>b", L"B"}, L"x", {L"x", L"a<E>b", L"B"}},
    };
    for (const auto& c : cases)
        Check(c);
}

TEST(UpdateHistory, UsesTheGivenFolding) {
    // A folding under which "x" and "y" are the same letter.
    const Fold xIsY = [](wchar_t c) { return c == L'x' ? L'y' : c; };
    Check({"folded equal", {L"y", L"x"}, L"z", {L"z", L"y"}}, xIsY);
    Check({"not folded", {L"y", L"x"}, L"z", {L"z", L"y", L"x"}});
}

TEST(UpdateHistory, DefaultFoldingCoversCyrillic) {
    const char* old = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no UTF-8 locale";
    Check({"capitals below", {L"D:\\ПАПКА"}, L"D:\\папка", {L"D:\\папка", L"D:\\ПАПКА"}});
    Check({"variant dropped", {L"D:\\папка", L"D:\\ПАПКА"}, L"D:\\папка", {L"D:\\папка"}});
    std::setlocale(LC_CTYPE, saved.c_str());
}

namespace {

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s)
        c = TowupperFold(c);
    return s;
}

// The rebuild with the end item and the seen-text of separated items, step by step.
List MarkerRebuild(List list, const std::wstring& current) {
    std::wstring seen = L"<e>";
    list.push_back(L"<end>");
    list.push_back(current);
    while (list.front() != L"<end>") {
        const std::wstring item = list.front();
        list.erase(list.begin());
        if (Upper(seen).find(Upper(L"<e>" + item + L"<e>")) == std::wstring::npos) {
            seen += item + L"<e>";
            if (item != current) list.push_back(item);
        }
    }
    list.erase(list.begin());
    return list;
}

} // namespace

// For every text without the marks the result is the step-by-step rebuild's.
TEST(UpdateHistory, SameAsMarkerRebuildForOrdinaryTexts) {
    const std::wstring pool[] = {L"", L"a", L"A", L"b", L"B", L"ab", L"aB", L"e>", L"<e", L"<"};
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pool) - 1), length(0, 7);
    for (int round = 0; round < 3000; ++round) {
        List list;
        for (std::size_t n = length(rng); n > 0; --n)
            list.push_back(pool[pick(rng)]);
        const std::wstring current = pool[pick(rng)];
        List mine = list;
        CountingPump pump;
        UpdateHistory(mine, current, pump);
        ASSERT_EQ(mine, MarkerRebuild(list, current)) << "round " << round;
    }
}
