// How the interpreter reads a batch file: lines, and the fields of one line.

#include "batchreader.h"
#include "lineparser.h"

#include <QTest>

#include <cstdlib>
#include <map>

using namespace tolvane::cmd;

Q_DECLARE_METATYPE(std::vector<std::string>)

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
    void splitsFields_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Fields>("fields");
        QTest::newRow("blanks and tabs") << QByteArray("a  b\tc") << Fields{"a", "b", "c"};
        QTest::newRow("blanks around") << QByteArray("  a b  ") << Fields{"a", "b"};
        QTest::newRow("nothing") << QByteArray(" \t ") << Fields{};
        QTest::newRow("quotes group and go")
            << QByteArray("\"C:\\Program Files (x86)\\UT\\ucc.exe\" Compress")
            << Fields{"C:\\Program Files (x86)\\UT\\ucc.exe", "Compress"};
        QTest::newRow("quotes inside a field")
            << QByteArray("C:\\\"My Maps\"\\a.unr") << Fields{"C:\\My Maps\\a.unr"};
        QTest::newRow("empty quotes are a field") << QByteArray("a \"\" b") << Fields{"a", "", "b"};
        QTest::newRow("unclosed quote runs to the end")
            << QByteArray("a \"b c") << Fields{"a", "b c"};
        QTest::newRow("no chaining or redirection")
            << QByteArray("x & touch pwned.unr|a>b<c^d")
            << Fields{"x", "&", "touch", "pwned.unr|a>b<c^d"};
        QTest::newRow("doubled percent") << QByteArray("50%%.unr %%%%") << Fields{"50%.unr", "%%"};
        QTest::newRow("doubled percent is never a reference")
            << QByteArray("%%GAME%%") << Fields{"%GAME%"};
        QTest::newRow("variable") << QByteArray("%GAME%\\System\\ucc.exe %game%")
                                  << Fields{"C:\\UT\\System\\ucc.exe", "%game%"};
        QTest::newRow("variable value is literal")
            << QByteArray("%SPACED% %QUOTE% z") << Fields{"a b", "x\"y", "z"};
        QTest::newRow("empty variable makes no field")
            << QByteArray("a %EMPTY% b") << Fields{"a", "b"};
        QTest::newRow("empty variable in quotes") << QByteArray("\"%EMPTY%\"") << Fields{""};
        QTest::newRow("unknown stays as typed")
            << QByteArray("%NOPE%GAME% 50%.unr %") << Fields{"%NOPE%GAME%", "50%.unr", "%"};
    }

    void splitsFields() {
        QFETCH(QByteArray, line);
        QFETCH(Fields, fields);
        QCOMPARE(splitFields(line.toStdString(), fakeEnvironment), fields);
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
