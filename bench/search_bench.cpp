// The search engine against GNU grep and ripgrep on one corpus, in one run, as ratios.
//   search_bench [corpus folder] (default $QX_BENCH_DIR or /tmp/qx-bench-corpus)
// The corpus (QX_BENCH_MB megabytes, 320 by default) is generated deterministically on first
// use and kept; every tool then runs on a warm page cache, best of three.
#include "bench/posix_fs.h"
#include "quarrix/search/search.h"
#include "quarrix/search/search_ui.h"
#include "quarrix/search/text_tables.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace qx;
namespace fs = std::filesystem;

namespace {

// A window that shows nothing: the engine alone is measured.
class QuietUi final : public search::SearchUi {
  public:
    search::SearchInputs Inputs;
    std::size_t Hits = 0, Errors = 0;
    search::SearchInputs ReadInputs() override { return Inputs; }
    std::wstring SizeText() override { return L"2047"; }
    void SetMaskText(const std::wstring&) override {}
    void ShowNoEncodingMessage() override {}
    void SetSearching(bool) override {}
    void SetBusyPointer(bool) override {}
    void ShowResults(bool) override {}
    void ClearLists() override { Hits = Errors = 0; }
    void AddResult(const std::wstring&) override { ++Hits; }
    void AddError(const std::wstring&) override { ++Errors; }
    void SetStatus(const std::wstring&) override {}
    void SetProgress(const std::wstring&) override {}
    void SetPauseCaption(const std::wstring&) override {}
    int MeasurePath(const std::wstring& p) override { return static_cast<int>(p.size()); }
    void SetHorizontalExtent(int) override {}
    bool AnyResultChecked() override { return false; }
    void SetToolsFrame(bool) override {}
    void UpdateHistories() override {}
    void FocusFindButton() override {}
    void Yield() override {}
    void Sleep(unsigned) override {}
};

std::string Utf8(const std::wstring& w) {
    return bench::ToPosix(w);
}

std::string Cp1251(const std::wstring& w, const search::TextTables& t) {
    std::string out;
    for (wchar_t c : w)
        for (unsigned b = 0; b < 256; ++b)
            if (t.Ansi[b] == static_cast<char16_t>(c)) {
                out.push_back(static_cast<char>(b));
                break;
            }
    return out;
}

// Text of made-up words: Latin or Cyrillic syllables, lines of 60 to 100 characters.
std::wstring Words(std::mt19937& rng, std::size_t chars, bool cyrillic) {
    static const wchar_t* latin[] = {L"ka",  L"ro", L"ten", L"mi",  L"sul", L"pre", L"for", L"ing",
                                     L"tho", L"an", L"de",  L"ver", L"qua", L"lo",  L"es",  L"nt"};
    static const wchar_t* cyr[] = {L"ка", L"ро", L"тен", L"ми",  L"сул", L"пре", L"вод", L"ние",
                                   L"жа", L"ан", L"де",  L"вер", L"ща",  L"ло",  L"ес",  L"ть"};
    std::wstring out;
    std::size_t line = 0;
    while (out.size() < chars) {
        const unsigned n = 1 + rng() % 4;
        for (unsigned i = 0; i < n; ++i)
            out += (cyrillic ? cyr : latin)[rng() % 16];
        if (rng() % 11 == 0) out[out.size() - 1] = static_cast<wchar_t>(towupper(out.back()));
        line += n * 2 + 1;
        if (line > 60 + rng() % 40) {
            out += L'\n';
            line = 0;
        } else {
            out += L' ';
        }
    }
    return out;
}

// "d12": a prefix and a number (built by append: GCC 12 misreads the concatenation).
std::string Numbered(const char* prefix, std::size_t n) {
    std::string s(prefix);
    s += std::to_string(n);
    return s;
}

const std::wstring kLatinWord = L"quarrelsome";
const std::wstring kCyrillicWord = L"жаворонок";

void MakeCorpus(const fs::path& dir, std::size_t megabytes, const search::TextTables& t) {
    std::mt19937 rng(1251);
    std::size_t total = 0, files = 0;
    while (total < megabytes << 20) {
        const fs::path folder = dir / Numbered("d", files / 400) / Numbered("s", files / 40 % 10);
        fs::create_directories(folder);
        const std::size_t size = 4096u << (rng() % 7); // 4 KiB to 256 KiB
        const unsigned kind = rng() % 20;
        std::string bytes, ext;
        if (kind < 9) {
            std::wstring text = Words(rng, size, false);
            if (rng() % 40 == 0)
                text.insert(rng() % text.size(), rng() % 2 ? L"Quarrelsome" : kLatinWord);
            bytes = Utf8(text);
            ext = ".txt";
        } else if (kind < 14) {
            std::wstring text = Words(rng, size / 2, true);
            if (rng() % 40 == 0)
                text.insert(rng() % text.size(), rng() % 2 ? L"Жаворонок" : kCyrillicWord);
            if (rng() % 40 == 0) text.insert(rng() % text.size(), kLatinWord);
            bytes = Utf8(text);
            ext = ".md";
        } else if (kind < 17) {
            std::wstring text = Words(rng, size, true);
            if (rng() % 40 == 0) text.insert(rng() % text.size(), kCyrillicWord);
            bytes = Cp1251(text, t);
            ext = ".ru";
        } else {
            bytes.resize(size);
            for (auto& b : bytes)
                b = static_cast<char>(rng() % 7 ? rng() % 256 : 0);
            ext = ".bin";
        }
        std::ofstream(folder / (Numbered("f", files) += ext), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        total += bytes.size();
        ++files;
    }
    std::ofstream(dir / "corpus.done") << files << " files, " << total << " bytes\n";
}

template <class F> double BestOf3(F run) {
    double best = 1e100;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        best = std::min(best, s);
    }
    return best;
}

// A peer tool's time and the number of files it listed; a negative time when it is missing.
std::pair<double, long> Peer(const std::string& command) {
    long files = -1;
    const double s = BestOf3([&] {
        FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r");
        if (!p) return;
        files = 0;
        char line[4096];
        while (std::fgets(line, sizeof line, p))
            ++files;
        if (::pclose(p) != 0 && files == 0) files = -1;
    });
    return {files < 0 ? -1 : s, files};
}

bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Query {
    const char* title;
    std::wstring text;
    bool caseSensitive, ansi, utf8;
    std::string grep, rg; // peers' equivalent commands, empty when none
};

} // namespace

int main(int argc, char** argv) {
    const char* env = std::getenv("QX_BENCH_DIR");
    const fs::path dir = argc > 1 ? argv[1] : env ? env : "/tmp/qx-bench-corpus";
    const char* mbEnv = std::getenv("QX_BENCH_MB");
    const std::size_t mb = mbEnv ? std::strtoul(mbEnv, nullptr, 10) : 320;
    const search::TextTables tables = search::NativeTextTables("CP1251");
    if (!fs::exists(dir / "corpus.done")) {
        std::printf("making the corpus in %s (%zu MB)...\n", dir.c_str(), mb);
        fs::remove_all(dir);
        MakeCorpus(dir, mb, tables);
    }
    std::ifstream info(dir / "corpus.done");
    std::string summary;
    std::getline(info, summary);
    std::printf("corpus %s: %s\n", dir.c_str(), summary.c_str());
    std::system(("cat -- $(find '" + dir.string() + "' -type f) >/dev/null").c_str()); // warm

    const std::string d = "'" + dir.string() + "'";
    const bool grep = Have("grep"), rg = Have("rg");
    const std::string lat = Utf8(kLatinWord), cyr = Utf8(L"ЖАВОРОНОК");
    const Query queries[] = {
        {"ASCII text, case matters, ANSI view", kLatinWord, true, true, false,
         "LC_ALL=C grep -r -F -l " + lat + " " + d, "rg -uuu -l -F -j1 " + lat + " " + d},
        {"ASCII text, case ignored, ANSI view", L"QUARRELSOME", false, true, false,
         "LC_ALL=C grep -r -F -i -l " + lat + " " + d, "rg -uuu -l -F -i -j1 " + lat + " " + d},
        {"ASCII text, case ignored, both views", L"QUARRELSOME", false, true, true, "", ""},
        {"Cyrillic, case ignored, UTF-8 view", L"ЖАВОРОНОК", false, false, true,
         "LC_ALL=ru_RU.UTF-8 grep -r -F -i -l " + cyr + " " + d,
         "rg -uuu -l -F -i -j1 " + cyr + " " + d},
        {"Cyrillic, case ignored, both views", L"ЖАВОРОНОК", false, true, true, "", ""},
    };
    std::printf("\n%-40s %9s %7s | %9s %7s %6s | %9s %7s %6s\n", "query", "ours s", "files",
                "grep s", "files", "ratio", "rg -j1 s", "files", "ratio");
    for (const Query& q : queries) {
        QuietUi ui;
        ui.Inputs.RootFolder = bench::FromPosix(dir.string());
        ui.Inputs.MaskText = L"*.*";
        ui.Inputs.SearchText = q.text;
        ui.Inputs.CaseSensitive = q.caseSensitive;
        ui.Inputs.MatchASCII = q.ansi;
        ui.Inputs.MatchUTF8 = q.utf8;
        bench::PosixFileSystem pfs;
        search::SearchState state;
        const double ours = BestOf3([&] { search::StartSearch(ui, pfs, state, tables); });
        std::printf("%-40s %9.3f %7zu |", q.title, ours, ui.Hits);
        for (const auto& [have, cmd] : {std::pair{grep, q.grep}, std::pair{rg, q.rg}}) {
            if (!have || cmd.empty()) {
                std::printf(" %9s %7s %6s |", "-", "-", "-");
                continue;
            }
            const auto [s, files] = Peer(cmd);
            if (s < 0)
                std::printf(" %9s %7s %6s |", "failed", "-", "-");
            else
                std::printf(" %9.3f %7ld %6.2f |", s, files, ours / s);
        }
        std::printf("\n");
    }
    std::printf("\nratio = our time / the peer's time (below 1: we are faster).\n");
    if (rg) {
        const auto [s, files] = Peer("rg -uuu -l -F " + lat + " " + d);
        std::printf("for scale: rg with its default threads, first query: %.3f s (%ld files)\n", s,
                    files);
    }
    return 0;
}
