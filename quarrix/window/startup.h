// What the main window decides while it loads: the set-up run that registers the Explorer
// folder verb, and the start folder a command line gives.
#pragma once
#include "common/registry.h"
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qx::quarrix {

inline constexpr std::int32_t kExplorerVerbHome = kClassesRoot;
inline constexpr std::wstring_view kExplorerVerbKey = L"Directory\\shell\\Trawlbeam\\command";

// The program's arguments from the process's full command line: what follows the program's
// own name and the blanks (spaces, tabs) after it, kept exactly, quotes and inner and
// trailing blanks included. The name ends at its closing quote when it starts with one
// (the rest of the line when that quote is missing), otherwise at the first blank.
std::wstring ArgumentsOfCommandLine(std::wstring_view fullCommandLine);

// The set-up switch: exactly "/setup", letter case and blanks count.
bool IsSetupRun(std::wstring_view commandLine);

// The verb's command: "<folder>\<name without extension>.exe" in quotes, a blank, "%1" in
// quotes. A folder that already ends in "\" (a drive root) keeps just that one.
std::wstring ExplorerVerbCommand(std::wstring_view programFolder,
                                 std::wstring_view programFileName);

// Writes the verb's command as the default value of kExplorerVerbKey. Silent, like every
// registry write.
void RegisterExplorerVerb(Registry& registry, std::wstring_view programFolder,
                          std::wstring_view programFileName);

// The text for the folder box from the program's arguments: the quotes removed; an existing
// folder as it is, anything else replaced by the text before its last "\"; a result ending
// in ":" gets its "\". Nothing (the box keeps what the settings gave it) for an empty
// command line, and for a text that is no existing folder and has no "\" to cut at: a bare
// name or "/SETUP" says nothing about a folder, and an empty box would only lose the last
// start folder.
std::optional<std::wstring>
FolderFromCommandLine(std::wstring_view commandLine,
                      const std::function<bool(const std::wstring&)>& isExistingFolder);

} // namespace qx::quarrix
