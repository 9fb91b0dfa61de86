// A job's output decoded read by read: UTF-8 where a line is UTF-8, else Windows-1252.

#include "platform/codepage.h"

#include <QTest>

#include <string>
#include <vector>

class CodePageTest : public QObject {
    Q_OBJECT
private slots:
    void outputIsUtf8WhereItIsUtf8AndWindows1252Elsewhere() {
        const std::pair<std::vector<std::string>, std::string> cases[] = {
            {{"Caf\xC3\xA9 \xE2\x82\xAC\r\n"}, "Café €\r\n"},
            {{"Caf\xE9 \x80\r\n"}, "Café €\r\n"},
            {{"C:\\>Caf\xE9.unr\nCaf\xC3\xA9\n"}, "C:\\>Café.unr\nCafé\n"}, // each line by itself
            {{"Z\xE2\x82", "\xAC\n"}, "Z€\n"},
            {{"\xF0", "\x9F\x98\x80", "!"}, "😀!"},
            {{"a\xE9", "b\n"}, "aéb\n"},           // a lead byte the next read does not complete
            {{"x\xE2\x82"}, "xâ‚"},                // cut off by the end of the output
            {{"\xC0\xAF\n"}, "À¯\n"},              // overlong
            {{"\xED\xA0\x80\n"}, "í\xC2\xA0€\n"},  // surrogate
            {{"\xF4\x90\x80\x80"}, "ô\xC2\x90€€"}, // beyond U+10FFFF
        };
        for (const auto& [reads, expected] : cases) {
            tolvane::platform::OutputDecoder decoder;
            std::string shown;
            std::string text;
            for (const auto& read : reads) {
                decoder.decode(read, text);
                shown += text;
            }
            QCOMPARE(shown + decoder.finish(), expected);
        }
    }
};

QTEST_MAIN(CodePageTest)
#include "test_codepage.moc"
