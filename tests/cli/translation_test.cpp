// kelvara-cli speaks the user's language: under the pseudo-language that the build makes (each
// text of the catalogue wrapped in ⟦…⟧) nothing it says to a person is left bare, and without a
// catalogue it says exactly what it always said.

#include "kelvara/testpaths.h"
#include "support/locales.h"
#include "support/process.h"
#include "support/pseudolanguage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <string>
#include <vector>

namespace {

using kelvara::test::ProcessOptions;
using kelvara::test::ProcessResult;

using kelvara::test::Unwrapped;

// The lines of `text` with a letter outside every ⟦…⟧. The tool's name that begins its messages is
// no text of the catalogue.
std::vector<std::string> BareLines(const std::string& text)
{
    std::vector<std::string> bare;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("kelvara-cli: ", 0) == 0)
            line.erase(0, 13);
        if (kelvara::test::HasBareLetters(line))
            bare.push_back(line);
    }
    return bare;
}

// The lines of `text`, sorted.
std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class CliTranslation : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string problem = kelvara::test::ProvideLocale("en_US.UTF-8");
        if (!problem.empty())
            GTEST_SKIP() << problem;
    }

    // The tool of the build tree, which finds the build's catalogues beside it.
    static ProcessResult Run(const std::vector<std::string>& args, bool pseudo)
    {
        std::vector<std::string> argv = {KELVARA_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        ProcessOptions options;
        if (pseudo)
            options.env = kelvara::test::PseudoLanguageEnvironment();
        else
            options.env = {{"LC_ALL", "C"},
                           {"LANGUAGE", "en@pseudo"}}; // C has no catalogue, whatever LANGUAGE says
        return kelvara::test::RunProcess(argv, options);
    }
};

TEST_F(CliTranslation, WhatTheToolSaysComesThroughTheCatalogueAndIsEnglishWithoutOne)
{
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* englishStart; // how the C locale's output begins (standard output, else standard error)
        std::vector<std::string> pseudoArgs = {}; // the names as the pseudo-language writes them; empty: args
    };
    const Case cases[] = {
        {{"--help"},
         0,
         "Usage: kelvara-cli [OPTIONS] COMMAND [ARGUMENTS]\n\nConverts values between the units"},
        {{"categories"}, 0, "Acceleration\nAngle\nArea\nCapacity\nCountry and Phone Codes\nCurrency\n"},
        {{"units", "Film Sensitivity"}, 0, "ASA / ISO\nDIN\n", {"units", "⟦Film Sensitivity⟧"}},
        {{"convert", "Film Sensitivity", "100", "ASA", "DIN"},
         0,
         "21\n",
         {"convert", "⟦Film", "100", "⟦ASA", "⟦DIN"}},
        {{"units", "Volume"},
         2,
         "kelvara-cli: unknown category \"Volume\"; choose one of:\n  Acceleration\n"},
        {{"units", "C"},
         2,
         "kelvara-cli: \"C\" is ambiguous as category; it fits:\n  Capacity\n",
         {"units", "⟦C"}},
        {{"frobnicate"}, 2, "kelvara-cli: unknown command 'frobnicate'\nTry 'kelvara-cli --help'.\n"},
        {{"units"}, 2, "kelvara-cli: too few arguments; usage: units CATEGORY\nTry 'kelvara-cli --help'.\n"},
        {{"--digits", "99", "categories"},
         2,
         "kelvara-cli: '99': --digits needs a number of significant digits"},
        {{"--at", "noon", "categories"}, 2, "kelvara-cli: 'noon' is not a universal time such as 2026-07-15"},
        {{"rates", "all"}, 2, "kelvara-cli: unknown argument 'all'; usage: rates [--update]\n"},
    };
    for (const Case& c : cases) {
        const std::string name = testing::PrintToString(c.args);
        const ProcessResult english = Run(c.args, false);
        const ProcessResult pseudo = Run(c.pseudoArgs.empty() ? c.args : c.pseudoArgs, true);
        EXPECT_EQ(english.exitCode, c.exitCode) << name << english.err;
        EXPECT_EQ(pseudo.exitCode, c.exitCode) << name << pseudo.err;
        const std::string& said = english.out.empty() ? english.err : english.out;
        EXPECT_EQ(said.rfind(c.englishStart, 0), 0u) << name << ":\n" << said;
        // Every line a person reads is the catalogue's, and is the English one without it.
        if (c.exitCode == 0 && said != "21\n") {
            EXPECT_NE(pseudo.out, english.out) << name;
        }
        EXPECT_EQ(BareLines(pseudo.out), std::vector<std::string>()) << name;
        EXPECT_EQ(BareLines(pseudo.err), std::vector<std::string>()) << name;
        // The same lines; lists of names may come in another order, as the pseudo-language sorts
        // its own names ("⟦Time Difference⟧" before "⟦Time⟧").
        EXPECT_EQ(SortedLines(Unwrapped(pseudo.out)), SortedLines(english.out)) << name;
        EXPECT_EQ(SortedLines(Unwrapped(pseudo.err)), SortedLines(english.err)) << name;
    }
}

TEST_F(CliTranslation, AnUnknownUnitIsToldInTheUsersLanguage)
{
    // The list's name comes from the page's label (without its colon in English).
    const ProcessResult pseudo =
        Run({"convert", "⟦Film Sensitivity⟧", "100", "⟦ASA / ISO⟧", "furlong"}, true);
    EXPECT_EQ(pseudo.exitCode, 2);
    EXPECT_EQ(pseudo.out, "");
    EXPECT_EQ(
        pseudo.err.rfind("kelvara-cli: ⟦unknown ⟦Target Unit:⟧ \"furlong\" in ⟦Film Sensitivity⟧; choose "
                         "one of:⟧\n  ⟦ASA / ISO⟧\n  ⟦DIN⟧\n",
                         0),
        0u)
        << pseudo.err;
    EXPECT_EQ(BareLines(pseudo.err), std::vector<std::string>());
    const ProcessResult english = Run({"convert", "Film Sensitivity", "100", "ASA / ISO", "furlong"}, false);
    EXPECT_EQ(english.err,
              "kelvara-cli: unknown Target Unit \"furlong\" in Film Sensitivity; choose one of:\n"
              "  ASA / ISO\n  DIN\n");
}

TEST(CliTranslationCheck, TellsWrappedLinesFromBareOnes)
{
    EXPECT_EQ(BareLines("⟦Area⟧\n  ⟦Capacity⟧\n\nkelvara-cli: ⟦unknown category \"x\"⟧\n⟦⟧\n"),
              std::vector<std::string>());
    EXPECT_EQ(BareLines("⟦Area⟧\nkelvara-cli: unknown command\n⟦a⟧ b\n"),
              (std::vector<std::string>{"unknown command", "⟦a⟧ b"}));
    EXPECT_EQ(Unwrapped("⟦⟦ECB reference⟧ rates⟧\n⟦⟧\n"), "ECB reference rates\n\n");
}

} // namespace
