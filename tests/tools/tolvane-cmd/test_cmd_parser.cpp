// How the interpreter reads a line of a batch file, what it echoes of it, and the command
// after "/c". (Reading the file in the Windows code page is part of every whole job.)

#include "lineparser.h"
#include "slashc.h"

#include <QTest>

#include <cstdlib>
#include <map>

using namespace tolvane::cmd;

namespace {

std::optional<std::string> fakeEnvironment(std::string_view name) {
    static const std::map<std::string, std::string, std::less<>> variables{
        {"GAME", "C:\\UT"}, {"SPACED", "a b"}, {"QUOTE", "x\"y"}, {"EMPTY", ""}};
    auto it = variables.find(name);
    return it == variables.end() ? std::nullopt : std::optional<std::string>(it->second);
}

using Fields = std::vector<std::string>;

} // namespace

class CmdParserTest : public QObject {
    Q_OBJECT
private slots:
    void splitsFieldsAndEchoesTheLineExpanded() {
        struct Case {
            const char* line;
            Fields fields;
            const char* echoed = nullptr; // nullptr: the line as it is
        };
        const Case cases[] = {
            {"a  b\tc", {"a", "b", "c"}},
            {"  a b  ", {"a", "b"}},
            {" \t ", {}},
            // Quotes group and go, also inside a field; empty quotes are a field; an unclosed
            // quote runs to the end.
            {"\"C:\\Program Files (x86)\\UT\\ucc.exe\" Compress",
             {"C:\\Program Files (x86)\\UT\\ucc.exe", "Compress"}},
            {"C:\\\"My Maps\"\\a.unr", {"C:\\My Maps\\a.unr"}},
            {"a \"\" b", {"a", "", "b"}},
            {"a \"b c", {"a", "b c"}},
            // No chaining or redirection.
            {"x & touch pwned.unr|a>b<c^d", {"x", "&", "touch", "pwned.unr|a>b<c^d"}},
            // A doubled percent is one, and never part of a reference.
            {"\"Song 100%% !loud.umx\" %%%%",
             {"Song 100% !loud.umx", "%%"},
             "\"Song 100% !loud.umx\" %%"},
            {"%%GAME%%", {"%GAME%"}, "%GAME%"},
            // Variables: their values are literal, an empty one makes no field unless quoted,
            // an unknown one stays as typed.
            {"%GAME%\\System\\ucc.exe %game%",
             {"C:\\UT\\System\\ucc.exe", "%game%"},
             "C:\\UT\\System\\ucc.exe %game%"},
            {"%SPACED% %QUOTE% z", {"a b", "x\"y", "z"}, "a b x\"y z"},
            {"a %EMPTY% b", {"a", "b"}, "a  b"},
            {"\"%EMPTY%\"", {""}, "\"\""},
            {"%NOPE%GAME% 50%.unr %", {"%NOPE%GAME%", "50%.unr", "%"}},
        };
        for (const auto& [line, fields, echoed] : cases) {
            QVERIFY2(splitFields(line, fakeEnvironment) == fields, line);
            QCOMPARE(expandVariables(line, fakeEnvironment), std::string(echoed ? echoed : line));
        }
    }

    void readsTheCommandAfterSlashCAsTheWindowsInterpreterDoes() {
        const auto exists = [](std::string_view name) {
            return name == "C:\\Games\\Unreal Tournament\\uccmake.bat";
        };
        const std::pair<const char*, const char*> cases[] = {
            {"\"C:\\UT\\uccmake.bat\"", "C:\\UT\\uccmake.bat"},
            {"uccmake.bat", "uccmake.bat"},
            {"\"uccmake.bat\" extra", "uccmake.bat"},
            // Two quotes around an existing name with a blank and no special sign: kept.
            {"\"C:\\Games\\Unreal Tournament\\uccmake.bat\"",
             "C:\\Games\\Unreal Tournament\\uccmake.bat"},
            {"\"C:\\Games\\Unreal Tournament\\none.bat\"", "C:\\Games\\Unreal"},
            // A parenthesis: the outer pair goes, so only a second pair keeps the path whole.
            {"\"C:\\Program Files (x86)\\UT\\uccmake.bat\"", "C:\\Program"},
            {"\"\"C:\\Program Files (x86)\\UT\\uccmake.bat\"\"",
             "C:\\Program Files (x86)\\UT\\uccmake.bat"},
        };
        for (const auto& [text, word] : cases) {
            QCOMPARE(firstWord(applyQuoteRule(text, exists)), std::string(word));
        }
        QCOMPARE(joinArguments({"C:\\My Games\\job.bat", "", "x"}),
                 std::string("\"C:\\My Games\\job.bat\" \"\" x"));
    }
};

QTEST_APPLESS_MAIN(CmdParserTest)
#include "test_cmd_parser.moc"
