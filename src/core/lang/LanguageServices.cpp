#include "lang/LanguageServices.h"

#include "lang/Language.h"
#include "lang/LocaleLanguage.h"
#include "platform/DataFolder.h"

#include <array>
#include <mutex>
#include <system_error>

namespace tarvola {

namespace {
constexpr std::array<int, 3> kFileLanguages{Lang::Thai, Lang::Czech, Lang::Lithuanian};

struct State {
    std::mutex mutex;
    std::shared_ptr<const MessageDictionary> dictionary = std::make_shared<const MessageDictionary>();
    std::array<std::shared_ptr<const CLangFile>, kFileLanguages.size()> files{
        std::make_shared<const CLangFile>(), std::make_shared<const CLangFile>(),
        std::make_shared<const CLangFile>()};
};

State& state()
{
    static State s;
    return s;
}

int fileSlot(int language)
{
    for (std::size_t i = 0; i < kFileLanguages.size(); ++i)
        if (kFileLanguages[i] == language)
            return static_cast<int>(i);
    return -1;
}
} // namespace

std::string_view languageFileName(int language)
{
    switch (language) {
    case Lang::Thai:
        return "THAI.csv";
    case Lang::Czech:
        return "CZECH.csv";
    case Lang::Lithuanian:
        return "LITHUANIAN.csv";
    default:
        return {};
    }
}

std::filesystem::path defaultLanguageFolder()
{
    return dataFolder() / "E_Lang";
}

void openLanguageFiles(const std::filesystem::path& folder)
{
    // Read outside the lock: the files may be large and lookups should not wait on the disk.
    std::array<std::shared_ptr<const CLangFile>, kFileLanguages.size()> files;
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = std::make_shared<const CLangFile>(folder / std::string(languageFileName(kFileLanguages[i])));
    std::lock_guard lock(state().mutex);
    state().files = std::move(files);
}

void closeLanguageFiles()
{
    std::lock_guard lock(state().mutex);
    for (auto& file : state().files)
        file = std::make_shared<const CLangFile>();
}

std::shared_ptr<const CLangFile> languageFile(int language)
{
    const int slot = fileSlot(language);
    if (slot < 0) {
        static const auto none = std::make_shared<const CLangFile>();
        return none;
    }
    std::lock_guard lock(state().mutex);
    return state().files[static_cast<std::size_t>(slot)];
}

std::string lookupLanguageFile(int language, std::string_view polish)
{
    return languageFile(language)->lookup(polish);
}

void installMessageDictionary(MessageDictionary dictionary)
{
    auto shared = std::make_shared<const MessageDictionary>(std::move(dictionary));
    std::lock_guard lock(state().mutex);
    state().dictionary = std::move(shared);
}

std::shared_ptr<const MessageDictionary> messageDictionary()
{
    std::lock_guard lock(state().mutex);
    return state().dictionary;
}

void startLanguages(const std::filesystem::path& folder)
{
    installMessageDictionary(builtInDictionary());
    openLanguageFiles(folder);
    setCurrentLanguage(defaultLanguage());
}

void startLanguages()
{
    startLanguages(defaultLanguageFolder());
}

} // namespace tarvola
