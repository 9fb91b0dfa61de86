// How the interpreter reads a batch file: lines, and the fields of one line.

#include "batchreader.h"
#include "lineparser.h"

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
    void splitsFields() {
        const std::pair<const char*, Fields> cases[] = {
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
            {"50%%.unr %%%%", {"50%.unr", "%%"}},
            {"%%GAME%%", {"%GAME%"}},
            // Variables: their values are literal, an empty one makes no field unless quoted,
            // an unknown one stays as typed.
            {"%GAME%\\System\\ucc.exe %game%", {"C:\\UT\\System\\ucc.exe", "%game%"}},
            {"%SPACED% %QUOTE% z", {"a b", "x\"y", "z"}},
            {"a %EMPTY% b", {"a", "b"}},
            {"\"%EMPTY%\"", {""}},
            {"%NOPE%GAME% 50%.unr %", {"%NOPE%GAME%", "50%.unr", "%"}},
        };
        for (const auto& [line, fields] : cases) {
            QVERIFY2(splitFields(line, fakeEnvironment) == fields, line);
        }
    }

    void environmentNamesIgnoreLetterCase() {
        ::setenv("TolvaneCmdProbe", "found", 1);
        QCOMPARE(environmentVariable("TOLVANECMDPROBE").value_or("-"), std::string("found"));
        QCOMPARE(environmentVariable("TolvaneCmdProbe").value_or("-"), std::string("found"));
        ::unsetenv("TolvaneCmdProbe");
        QVERIFY(!environmentVariable("TOLVANECMDPROBE"));
        QVERIFY(!environmentVariable(""));
    }

    void readsLinesInTheWindowsCodePage() {
        const std::string file = "one\r\n\r\n  \t \r\ntwo\nCaf\xE9 \x80\r\nlast";
        auto lines = splitBatch(file);
        QCOMPARE(lines.size(), std::size_t(4));
        QCOMPARE(lines[0].bytes, std::string("one"));
        QCOMPARE(lines[1].bytes, std::string("two"));
        QCOMPARE(lines[2].bytes, std::string("Caf\xE9 \x80"));
        QCOMPARE(lines[2].text, std::string("Caf\xC3\xA9 \xE2\x82\xAC"));
        QCOMPARE(lines[3].text, std::string("last"));
        QVERIFY(splitBatch("").empty());
        QVERIFY(splitBatch("\r\n\n").empty());
    }
};

QTEST_APPLESS_MAIN(CmdParserTest)
#include "test_cmd_parser.moc"
