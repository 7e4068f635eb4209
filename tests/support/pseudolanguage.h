#pragma once

// The pseudo-language the build makes for the tests (en@pseudo): every text of our catalogue
// wrapped in "⟦" and "⟧", so that a text shown without them did not come through the catalogue.

#include "kelvara/testpaths.h"
#include "platform/translations.h"
#include "support/locales.h"
#include "support/testenv.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara::test {

// Where the build puts its catalogues (<language>/LC_MESSAGES/kelvara.mo).
inline constexpr const char* kBuiltLocaleDir = KELVARA_BINARY_DIR "/src/share/locale";
inline constexpr std::string_view kPseudoOpen = "⟦";
inline constexpr std::string_view kPseudoClose = "⟧";

// The environment that puts a program into the pseudo-language. gettext follows LANGUAGE only where
// the messages' locale is not C: LANG names one that ProvideLocale makes loadable.
inline const std::map<std::string, std::optional<std::string>>& PseudoLanguageEnvironment()
{
    static const std::map<std::string, std::optional<std::string>> env = {{"LC_ALL", std::nullopt},
                                                                          {"LC_MESSAGES", std::nullopt},
                                                                          {"LANG", "en_US.UTF-8"},
                                                                          {"LANGUAGE", "en@pseudo"}};
    return env;
}

// Whether an ASCII letter of `text` lies outside every ⟦…⟧.
inline bool HasBareLetters(std::string_view text)
{
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, kPseudoOpen.size()) == kPseudoOpen) {
            ++depth;
            i += kPseudoOpen.size() - 1;
        } else if (text.substr(i, kPseudoClose.size()) == kPseudoClose) {
            depth = std::max(depth - 1, 0);
            i += kPseudoClose.size() - 1;
        } else if (depth == 0 && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z'))) {
            return true;
        }
    }
    return false;
}

// `text` without the brackets: the English a run without a catalogue gives.
inline std::string Unwrapped(std::string text)
{
    for (const std::string_view mark : {kPseudoOpen, kPseudoClose})
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
            text.erase(at, mark.size());
    return text;
}

// This process in the pseudo-language for the object's life; English again after it.
class ScopedPseudoLanguage {
public:
    ScopedPseudoLanguage() : m_problem(ProvideLocale("en_US.UTF-8"))
    {
        if (!m_problem.empty())
            return;
        for (const auto& [name, value] : PseudoLanguageEnvironment())
            m_env.push_back(std::make_unique<ScopedEnv>(name.c_str(), value ? value->c_str() : nullptr));
        InitTranslations(kBuiltLocaleDir);
    }
    ~ScopedPseudoLanguage()
    {
        if (!m_problem.empty())
            return;
        m_env.clear();
        InitTranslations(kBuiltLocaleDir);
    }
    ScopedPseudoLanguage(const ScopedPseudoLanguage&) = delete;
    ScopedPseudoLanguage& operator=(const ScopedPseudoLanguage&) = delete;

    // Why the pseudo-language cannot be had here (its locale cannot be made); empty when in use.
    const std::string& Problem() const { return m_problem; }

private:
    std::string m_problem;
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

} // namespace kelvara::test
