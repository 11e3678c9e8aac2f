#pragma once
// The process-wide language state besides the current language: the message dictionary and the
// three language files, and the start-up that sets them all.
//
// Everything here may be called from any thread: readers take a shared snapshot of the dictionary
// or file, so replacing one (a test, a later start-up) never pulls it from under a lookup.

#include "lang/CLangFile.h"
#include "lang/MessageDictionary.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tarvola {

// Sets up the languages before any window exists: installs builtInDictionary(), opens the language
// files in `folder` (missing ones leave their language on Polish) and sets the current language from
// the user's locale. Raises nothing; a second call starts over.
void startLanguages(const std::filesystem::path& folder);
// The same with defaultLanguageFolder().
void startLanguages();

// Where the language files live: E_Lang in the program's data folder (platform/DataFolder.h).
std::filesystem::path defaultLanguageFolder();

// "THAI.csv", "CZECH.csv" or "LITHUANIAN.csv" for the languages served from files; empty otherwise.
std::string_view languageFileName(int language);

// Opens the three language files in `folder`, replacing those open before.
void openLanguageFiles(const std::filesystem::path& folder);
// Forgets the language files; their languages show Polish texts again.
void closeLanguageFiles();
// The file of a file language; a not-open file when it did not open or the language is not one of
// them. Never null.
std::shared_ptr<const CLangFile> languageFile(int language);
// The translation from the language's file, or the Polish text (no file, no match, not a file
// language).
std::string lookupLanguageFile(int language, std::string_view polish);

// Replaces the process-wide message dictionary (empty until the start-up or this call).
void installMessageDictionary(MessageDictionary dictionary);
// The current dictionary; never null.
std::shared_ptr<const MessageDictionary> messageDictionary();

} // namespace tarvola
