#include "kelvara/testpaths.h"
#include "support/process.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// bash's completion of kelvara-cli: the installed script is sourced, COMP_WORDS and COMP_CWORD are
// set as bash sets them for a command line, and COMPREPLY is what bash would offer.
class BashCompletion : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The fixture data files beside the program, as in the other kelvara-cli tests.
        s_dir = kelvara::test::TestRoot() + "/completion-bin";
        fs::remove_all(s_dir);
        fs::create_directories(s_dir);
        fs::copy_file(KELVARA_CLI_PATH, s_dir + "/kelvara-cli");
        for (const auto& e : fs::directory_iterator(std::string(KELVARA_TEST_DATA_DIR) + "/catalogue"))
            fs::copy_file(e.path(), s_dir + "/" + e.path().filename().string());
    }

    // The candidates for the last of `words` (bash's words after the program's name).
    // `shellOptions` are set with shopt before completing, in the folder `directory`.
    static std::vector<std::string> Complete(const std::vector<std::string>& words,
                                             const std::string& shellOptions = "",
                                             const std::string& directory = "")
    {
        std::string script = "source '" KELVARA_SOURCE_DIR "/resources/completion/kelvara-cli.bash'\n" +
                             (shellOptions.empty() ? "" : "shopt -s " + shellOptions + "\n") +
                             "COMP_WORDS=(\"$0\" \"$@\"); COMP_CWORD=$#; _kelvara_cli\n"
                             "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
        std::vector<std::string> argv = {"bash", "-c", script, s_dir + "/kelvara-cli"};
        argv.insert(argv.end(), words.begin(), words.end());
        const auto r = kelvara::test::RunProcess(argv, {directory, {{"LC_ALL", "C.UTF-8"}}});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::vector<std::string> candidates;
        std::size_t start = 0;
        for (std::size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1)
            if (end > start)
                candidates.push_back(r.out.substr(start, end - start));
        return candidates;
    }

    static std::string s_dir;
};
std::string BashCompletion::s_dir;

using Words = std::vector<std::string>;

TEST_F(BashCompletion, CommandsAndOptions)
{
    EXPECT_EQ(Complete({""}), Words({"categories", "convert", "find", "rates", "units"}));
    EXPECT_EQ(Complete({"r"}), Words({"rates"}));
    EXPECT_EQ(Complete({"rates", "--u"}), Words({"--update"}));
    EXPECT_EQ(Complete({"units", "--u"}), Words());
    EXPECT_EQ(Complete({"c"}), Words({"categories", "convert"}));
    EXPECT_EQ(Complete({"--re"}), Words({"--regional"}));
    // An option that looks like the tool's own (--help) is only a word being completed.
    EXPECT_EQ(Complete({"--h"}), Words({"--help"}));
    EXPECT_EQ(Complete({"--regional", "con"}), Words({"convert"}));
    // After --at comes a time, and find takes free text: nothing to offer.
    EXPECT_EQ(Complete({"--at", ""}), Words());
    EXPECT_EQ(Complete({"find", ""}), Words());
    // After --digits comes its number, and the command only after that.
    EXPECT_EQ(Complete({"--digits", "1"}), Words({"1", "10", "11", "12", "13", "14", "15", "16", "17"}));
    EXPECT_EQ(Complete({"--digits", "6", "con"}), Words({"convert"}));
}

TEST_F(BashCompletion, CategoryNamesQuotedForWhereTheWordStands)
{
    EXPECT_EQ(Complete({"units", "T"}), Words({"Temperature", "Time", "Time\\ Difference", "Torque"}));
    // Inside an open quote bash closes the quote itself.
    EXPECT_EQ(Complete({"convert", "\"Time D"}), Words({"Time Difference"}));
    EXPECT_EQ(Complete({"units", "'Country a"}), Words({"Country and Phone Codes"}));
    // What is typed in another case still finds its name.
    EXPECT_EQ(Complete({"units", "temp"}), Words({"Temperature"}));
    // A quote opened inside the word: bash replaces only what follows it.
    EXPECT_EQ(Complete({"units", "Time' D"}), Words({" Difference"}));
    EXPECT_EQ(Complete({"units", "Country\\ and\" Phone C"}), Words({" Phone Codes"}));
    EXPECT_EQ(Complete({"units", "time' D"}), Words());
    EXPECT_EQ(Complete({"convert", "Length", "1", "meter' (m"}), Words({" (m)"}));
}

TEST_F(BashCompletion, CandidatesAreNeverFilePatterns)
{
    // Files that the candidates would match as patterns, in the folder where completion runs.
    const std::string folder = kelvara::test::TestRoot() + "/completion-cwd";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* name : {"U nautical mile (n.m.)", "Time Difference", "x"})
        std::ofstream(folder + "/" + name).put('x');
    const struct {
        Words words;
        Words expected;
    } cases[] = {
        {{"convert", "Length", "1", "meter\\ \\(m\\)", "\"[US"}, {"[US] nautical mile (n.m.)"}},
        {{"convert", "Length", "1", "meter\\ \\(m\\)", "\\[US"}, {"\\[US\\]\\ nautical\\ mile\\ \\(n.m.\\)"}},
        {{"units", "'Time"}, {"Time", "Time Difference"}},
        {{"units", "Tim"}, {"Time", "Time\\ Difference"}},
    };
    for (const char* options : {"", "nullglob", "failglob", "nullglob failglob nocaseglob"})
        for (const auto& c : cases)
            EXPECT_EQ(Complete(c.words, options, folder), c.expected) << options << ": " << c.words.back();
}

TEST_F(BashCompletion, UnitsOfTheCategoryTyped)
{
    EXPECT_EQ(Complete({"convert", "Temperature", "1", ""}),
              Words({"°\\ Celsius\\ \\(°C\\)", "°\\ Fahrenheit\\ \\(°F\\)", "°\\ Rankine\\ \\(°Ra\\)",
                     "°\\ Réaumur\\ \\(°Ré\\)", "Kelvin\\ \\(K\\)"}));
    // The category as the tool reads it (a beginning, in another case); TO from the target list.
    EXPECT_EQ(Complete({"convert", "len", "1", "m", "'foot and inch (f"}),
              Words({"foot and inch (ft. in.)"}));
    EXPECT_EQ(Complete({"convert", "Country\\ and\\ Phone\\ Codes", "-", "Germany", ""}),
              Words({"Fire\\ Department", "Police\\ Department", "Rescue"}));
    EXPECT_EQ(Complete({"convert", "Length", "1", "meter\\ \\(m\\)", "\"[US"}),
              Words({"[US] nautical mile (n.m.)"}));
    EXPECT_EQ(Complete({"convert", "NoSuchCategory", "1", ""}), Words());
}

TEST_F(BashCompletion, ZoneNamesThatBashCutsAtTheirColon)
{
    // bash hands "\(UTC+09:00\)\ Asia/To" over in three words and replaces only the last.
    EXPECT_EQ(Complete({"convert", "Time\\ Difference", "-", "\\(UTC+09", ":", "00\\)\\ Asia/To"}),
              Words({"00\\)\\ Asia/Tokyo"}));
    // Within quotes the colon does not cut.
    EXPECT_EQ(Complete({"convert", "Time Difference", "-", "Europe/Berlin", "'(UTC+09:00) Asia/To"}),
              Words({"(UTC+09:00) Asia/Tokyo"}));
}

// zsh and fish hand over the words unquoted and match and quote the candidates themselves.
TEST(ShellCompletion, OtherShellsGetEveryCandidateUnquoted)
{
    const auto r = kelvara::test::RunProcess({KELVARA_CLI_PATH, "--", "__complete", "zsh", "convert",
                                              "Time Difference", "-", "Europe/Berlin", "Asia/To"},
                                             {{}, {{"LC_ALL", "C.UTF-8"}}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\n(UTC+09:00) Asia/Tokyo\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n(UTC+01:00) Europe/Berlin\n"), std::string::npos);
    EXPECT_EQ(r.out.find('\\'), std::string::npos);
}

} // namespace
